// Opening an entry with its program on archives that rar makes at test time: what
// is written into the archive's temporary folder and what the shell is asked.

#include "ExtractTesting.h"
#include "RarCraft.h"
#include "RecordingShellOpener.h"
#include "TemporaryFolderOverride.h"

#include "extract/ExtractionPaths.h"
#include "extract/OpenEntry.h"
#include "extract/OpenEntryPaths.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <memory>

namespace {

constexpr wchar_t kUnsafeEntry[] = L"This entry cannot be opened because its name is unsafe.";

class OpenEntry : public RarFixtureTest {
protected:
    void TearDown() override
    {
        EXPECT_TRUE(driver.AllAnswered());
        RarFixtureTest::TearDown();
    }

    void Open(const std::wstring& archive)
    {
        ASSERT_FALSE(archive.empty());
        ASSERT_TRUE(OpenCatalogue(catalogue, archive));
        list = std::make_unique<TestList>(catalogue);
    }

    const ArchiveEntry* EntryWithPath(const std::wstring& path) const
    {
        for (int row = 0; row < catalogue.RowCount(); ++row) {
            const ArchiveEntry* entry = catalogue.EntryAtRow(row);
            if (entry && entry->path == path)
                return entry;
        }
        return nullptr;
    }

    // As a double-click leaves it: the entry's row alone selected.
    OpenEntryOutcome OpenPath(const std::wstring& path)
    {
        const ArchiveEntry* entry = EntryWithPath(path);
        EXPECT_NE(entry, nullptr) << RarFixture::ToUtf8(path);
        if (!entry)
            return OpenEntryOutcome::NotWritten;
        list->Refresh();
        for (int row = 0; row < catalogue.RowCount(); ++row) {
            if (catalogue.EntryAtRow(row) == entry)
                list->SelectRows({row});
        }
        return OpenEntryWithProgram(list->Owner(), list->List(), catalogue, *entry);
    }

    std::wstring Folder(const std::wstring& name) const { return temp + L"\\" + name; }

    const std::wstring temp = fixture.Folder() + L"\\temp";
    TemporaryFolderOverride useTemp{temp};
    DialogDriver driver;
    ArchiveCatalogue catalogue;
    std::unique_ptr<TestList> list;
    RecordingShellOpener shell;
    ProgressRecorder shown;
};

TEST_F(OpenEntry, TheFileWrittenIntoTheArchiveFolderIsOpenedWithExactArguments)
{
    fixture.WriteFile(L"2013\\beach.jpg", "sand");
    fixture.WriteFile(L"notes.txt", "notes");
    ASSERT_NO_FATAL_FAILURE(Open(fixture.MakeArchive(L"photos.rar")));
    ASSERT_TRUE(EnterFolder(catalogue, L"2013"));

    EXPECT_EQ(OpenPath(L"2013\\beach.jpg"), OpenEntryOutcome::Opened);
    const std::wstring target = Folder(L"photos-quillet\\2013\\beach.jpg");
    ASSERT_EQ(shell.Calls().size(), 1u);
    const RecordingShellOpener::Call& call = shell.Calls()[0];
    EXPECT_EQ(call.owner, list->Owner());
    EXPECT_EQ(call.verb, L"open");
    EXPECT_EQ(call.file, target);
    EXPECT_FALSE(call.hasParams);
    EXPECT_FALSE(call.hasDirectory);
    EXPECT_EQ(call.show, SW_SHOW);
    EXPECT_EQ(ReadWholeFileAt(target), "sand");
    // Only the selected entry was taken.
    EXPECT_EQ(TreePaths(ReadTree(Folder(L"photos-quillet"))), (Names{L"2013\\", L"2013\\beach.jpg"}));
}

TEST_F(OpenEntry, TheSecondOpenSkipsTheFileAndOpensTheCopyThatIsThere)
{
    fixture.WriteFile(L"notes.txt", "as archived");
    ASSERT_NO_FATAL_FAILURE(Open(fixture.MakeArchive(L"notes.rar")));
    const std::wstring target = Folder(L"notes-quillet\\notes.txt");

    EXPECT_EQ(OpenPath(L"notes.txt"), OpenEntryOutcome::Opened);
    EXPECT_EQ(shown.NamesShownAs(L"Extracting file"), Names{L"notes.txt"});
    // What the opened program saved stays.
    WriteFileAt(target, "edited");

    EXPECT_EQ(OpenPath(L"notes.txt"), OpenEntryOutcome::Opened);
    EXPECT_EQ(shown.NamesShownAs(L"Skipping file"), Names{L"notes.txt"});
    EXPECT_EQ(ReadWholeFileAt(target), "edited");
    ASSERT_EQ(shell.Calls().size(), 2u);
    EXPECT_EQ(shell.Calls()[1].file, target);
}

TEST_F(OpenEntry, WithoutAnAssociatedProgramTheShellsChooserIsStartedForTheFile)
{
    fixture.WriteFile(L"data.unknowntype", "?");
    ASSERT_NO_FATAL_FAILURE(Open(fixture.MakeArchive(L"odd.rar")));
    const std::wstring target = Folder(L"odd-quillet\\data.unknowntype");

    shell.AnswerWith({SE_ERR_NOASSOC});
    EXPECT_EQ(OpenPath(L"data.unknowntype"), OpenEntryOutcome::ChooserStarted);
    ASSERT_EQ(shell.Calls().size(), 2u);
    const RecordingShellOpener::Call& chooser = shell.Calls()[1];
    EXPECT_EQ(chooser.owner, list->Owner());
    EXPECT_EQ(chooser.verb, L"open");
    EXPECT_EQ(chooser.file, SystemFolder() + L"\\rundll32.exe");
    EXPECT_EQ(chooser.params, L"shell32.dll,OpenAs_RunDLL " + target);
    EXPECT_FALSE(chooser.hasDirectory);
    EXPECT_EQ(chooser.show, SW_SHOWNORMAL);

    // Any other failure of the shell ends it quietly.
    shell.AnswerWith({SE_ERR_ACCESSDENIED});
    EXPECT_EQ(OpenPath(L"data.unknowntype"), OpenEntryOutcome::Opened);
    EXPECT_EQ(shell.Calls().size(), 3u);
}

TEST_F(OpenEntry, AnArchiveNameWithoutExtensionGivesItsWholeNameToTheFolder)
{
    fixture.WriteFile(L"a.txt", "a");
    const std::wstring made = fixture.MakeArchive(L"bundle.rar");
    ASSERT_FALSE(made.empty());
    const std::wstring bare = fixture.OutputPath(L"bundle");
    ASSERT_TRUE(MoveFileW(made.c_str(), bare.c_str()));
    ASSERT_NO_FATAL_FAILURE(Open(bare));

    EXPECT_EQ(OpenPath(L"a.txt"), OpenEntryOutcome::Opened);
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].file, Folder(L"bundle-quillet\\a.txt"));
    EXPECT_EQ(ReadWholeFileAt(Folder(L"bundle-quillet\\a.txt")), "a");
}

TEST_F(OpenEntry, TwoArchivesOfOneFileNameShareTheFolderAndTheFirstCopyWins)
{
    ASSERT_TRUE(CreateDirectoryW(fixture.OutputPath(L"first").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(fixture.OutputPath(L"second").c_str(), nullptr));
    fixture.WriteFile(L"notes.txt", "from the first");
    const std::wstring first = fixture.MakeArchive(L"first\\same.rar");
    fixture.WriteFile(L"notes.txt", "from the second");
    const std::wstring second = fixture.MakeArchive(L"second\\same.rar");
    const std::wstring target = Folder(L"same-quillet\\notes.txt");

    ASSERT_NO_FATAL_FAILURE(Open(first));
    EXPECT_EQ(OpenPath(L"notes.txt"), OpenEntryOutcome::Opened);
    ASSERT_NO_FATAL_FAILURE(Open(second));
    EXPECT_EQ(OpenPath(L"notes.txt"), OpenEntryOutcome::Opened);

    EXPECT_EQ(shown.NamesShownAs(L"Skipping file"), Names{L"notes.txt"});
    ASSERT_EQ(shell.Calls().size(), 2u);
    EXPECT_EQ(shell.Calls()[0].file, target);
    EXPECT_EQ(shell.Calls()[1].file, target);
    EXPECT_EQ(ReadWholeFileAt(target), "from the first");
}

TEST_F(OpenEntry, PathsPastMaxPathAreOpenedWhole)
{
    const std::wstring deep = std::wstring(120, L'x') + L"\\" + std::wstring(120, L'y') + L"\\deep.txt";
    fixture.WriteFile(deep, "deep");
    ASSERT_NO_FATAL_FAILURE(Open(fixture.MakeArchive(L"deep.rar")));
    ASSERT_TRUE(EnterFolder(catalogue, std::wstring(120, L'x')));
    ASSERT_TRUE(EnterFolder(catalogue, std::wstring(120, L'y')));

    EXPECT_EQ(OpenPath(deep), OpenEntryOutcome::Opened);
    const std::wstring target = Folder(L"deep-quillet\\" + deep);
    ASSERT_GT(target.size(), static_cast<size_t>(MAX_PATH));
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].file, target);
    EXPECT_EQ(ReadWholeFileAt(target), "deep");
}

TEST_F(OpenEntry, NamesThatCouldLeadOutOfTheFolderAreRefusedAndNothingIsOpened)
{
    // As stored (RAR5 names use "/"), each rewritten over a stand-in of its length.
    const std::vector<std::string> hostile = {
        "../../esc1.txt",  // two levels up
        ".. /esc2.txt",    // ".." behind a blank
        "/esc3.txt",       // rooted
        "esc4.txt.",       // the shell would look for "esc4.txt"
        "esc5.txt ",
        "nul.esc6",  // a device
    };
    std::vector<std::string> standIns;
    for (size_t i = 0; i < hostile.size(); ++i) {
        standIns.push_back(std::string(hostile[i].size() - 4, static_cast<char>('a' + i)) + ".txt");
        fixture.WriteFile(RarFixture::FromUtf8(standIns.back()), "escaped " + std::to_string(i));
    }
    const std::wstring archive = fixture.MakeArchive(L"crafted.rar", L"-qo-");
    std::string error;
    ASSERT_TRUE(rar5::EditArchive(
        archive,
        [&](rar5::Archive& a) {
            for (size_t i = 0; i < hostile.size(); ++i) {
                rar5::FileHeader* header = a.Find(standIns[i]);
                ASSERT_NE(header, nullptr);
                header->name = hostile[i];
            }
        },
        &error))
        << error;
    ASSERT_NO_FATAL_FAILURE(Open(archive));

    for (const wchar_t* name :
         {L"..\\..\\esc1.txt", L".. \\esc2.txt", L"\\esc3.txt", L"esc4.txt.", L"esc5.txt ", L"nul.esc6"}) {
        ExpectErrorBox(driver, kUnsafeEntry);
        EXPECT_EQ(OpenPath(name), OpenEntryOutcome::Refused) << RarFixture::ToUtf8(name);
    }
    EXPECT_TRUE(shell.Calls().empty());
    EXPECT_FALSE(PathExists(Folder(L"crafted-quillet")));
    for (const auto& item : ReadTree(fixture.Folder()))
        EXPECT_EQ(item.first.find(L"esc"), std::wstring::npos) << RarFixture::ToUtf8(item.first);
}

TEST_F(OpenEntry, DrivesAndStreamsInNamesStayInsideTheFolder)
{
    // The library turns every ":" into "_": what it reports is an ordinary name below the folder.
    fixture.WriteFile(L"aaaaa.txt", "drive");
    fixture.WriteFile(L"bbbbbbbbbbbbbbbb", "stream");
    const std::wstring archive = fixture.MakeArchive(L"colons.rar", L"-qo-");
    ASSERT_TRUE(rar5::EditArchive(archive, [&](rar5::Archive& a) {
        a.Find("aaaaa.txt")->name = "C:/dr.txt";
        a.Find("bbbbbbbbbbbbbbbb")->name = "a.txt:stream.txt";
    }));
    ASSERT_NO_FATAL_FAILURE(Open(archive));
    ASSERT_EQ(catalogue.RowCount(), 2);
    for (int row = 0; row < catalogue.RowCount(); ++row) {
        const ArchiveEntry* entry = catalogue.EntryAtRow(row);
        EXPECT_EQ(entry->path.find(L':'), std::wstring::npos);
        ASSERT_EQ(OpenPath(entry->path), OpenEntryOutcome::Opened);
        const std::wstring opened = shell.Calls().back().file;
        EXPECT_EQ(opened, ConfinedTarget(Folder(L"colons-quillet"), entry->path));
        EXPECT_TRUE(IsWrittenInside(Folder(L"colons-quillet"), opened, WrittenKind::File));
    }
    EXPECT_EQ(shell.Calls().size(), 2u);
}

TEST_F(OpenEntry, LinkEntriesAreMarkedAndNeverOpened)
{
    fixture.WriteFile(L"target.txt", "target");
    fixture.MakeFolder(L"dir");
    ASSERT_EQ(fixture.Shell(L"ln -s target.txt link.txt && ln -s dir dirlink && ln -s /etc/hostname far.txt").exitCode,
              0);
    ASSERT_NO_FATAL_FAILURE(Open(fixture.MakeArchive(L"links.rar", L"-ol -r")));
    for (const wchar_t* link : {L"link.txt", L"dirlink", L"far.txt"}) {
        const ArchiveEntry* entry = EntryWithPath(link);
        ASSERT_NE(entry, nullptr) << RarFixture::ToUtf8(link);
        EXPECT_TRUE(entry->isLink) << RarFixture::ToUtf8(link);
    }
    EXPECT_FALSE(EntryWithPath(L"target.txt")->isLink);
    EXPECT_FALSE(EntryWithPath(L"dir")->isLink);

    for (const wchar_t* link : {L"link.txt", L"far.txt"}) {
        ExpectErrorBox(driver, kUnsafeEntry);
        EXPECT_EQ(OpenPath(link), OpenEntryOutcome::Refused);
    }
    EXPECT_TRUE(shell.Calls().empty());
    EXPECT_FALSE(PathExists(Folder(L"links-quillet")));

    EXPECT_EQ(OpenPath(L"target.txt"), OpenEntryOutcome::Opened);
    EXPECT_EQ(shell.Calls().size(), 1u);
}

TEST_F(OpenEntry, ARefusedPasswordOpensNothing)
{
    fixture.WriteFile(L"secret.txt", "secret");
    ASSERT_NO_FATAL_FAILURE(Open(fixture.MakeArchive(L"locked.rar", L"-pquill")));
    driver.Expect(L"Enter password", [](DialogDriver::Dialog& prompt) { prompt.Press(IDCANCEL); });
    const OpenEntryOutcome outcome = OpenPath(L"secret.txt");
    EXPECT_EQ(outcome, OpenEntryOutcome::NotExtracted);
    EXPECT_FALSE(PathExists(Folder(L"locked-quillet\\secret.txt")));
    EXPECT_TRUE(shell.Calls().empty());
}

}  // namespace
