// Jobs run in the progress dialog on archives that rar makes at test time: what
// is written, what is shown, and how each job ends.

#include "ExtractTesting.h"

#include "extract/DlgProgress.h"
#include "extract/ExtractionPaths.h"
#include "RarCraft.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

constexpr wchar_t kExtracting[] = L"Extracting file";
constexpr wchar_t kSkipping[] = L"Skipping file";

class ExtractJob : public RarFixtureTest {
protected:
    std::wstring Destination() const { return fixture.Folder() + L"\\dest"; }
    std::wstring Target(const std::wstring& relative) const { return Destination() + L"\\" + relative; }

    // docs (folder) with docs\a.txt; DOCS\img\b.png without folder headers of its
    // own; and names that only look alike.
    void OpenFolderArchive()
    {
        fixture.WriteFile(L"docs\\a.txt", "alpha");
        // Wine's file system folds case: the upper-case folder comes from Linux.
        ASSERT_EQ(fixture.Shell(L"mkdir -p DOCS/img && printf bravo > DOCS/img/b.png").exitCode, 0);
        fixture.WriteFile(L"docs2\\c.txt", "charlie");
        fixture.WriteFile(L"docsX.txt", "x-ray");
        fixture.WriteFile(L"other\\docs\\d.txt", "delta");
        fixture.WriteFile(L"top.txt", "top");
        Open(fixture.MakeArchive(L"folders.rar", L"-qo-",
                                 L"docs DOCS/img/b.png docs2/c.txt docsX.txt other/docs/d.txt top.txt"));
    }

    void Open(const std::wstring& archive)
    {
        ASSERT_FALSE(archive.empty());
        ASSERT_TRUE(OpenCatalogue(catalogue, archive));
        list = std::make_unique<TestList>(catalogue);
    }

    INT_PTR Run(ExtractMode mode = ExtractAll, UpdateMode update = UpdateReplace)
    {
        return RunJobShowingAll(MakeJob(catalogue, list->List(), Destination(), mode, update), list->Owner());
    }

    DialogDriver driver;
    ArchiveCatalogue catalogue;
    std::unique_ptr<TestList> list;
    ProgressRecorder shown;
};

TEST_F(ExtractJob, AllFilesAreWrittenUnderTheirFullPaths)
{
    ASSERT_NO_FATAL_FAILURE(OpenFolderArchive());
    EXPECT_EQ(Run(), IDOK);
    EXPECT_EQ(TreePaths(ReadTree(Destination())),
              (Names{L"docs2\\", L"docs2\\c.txt", L"docsX.txt", L"docs\\", L"docs\\a.txt", L"docs\\img\\",
                     L"docs\\img\\b.png", L"other\\", L"other\\docs\\", L"other\\docs\\d.txt", L"top.txt"}));
    EXPECT_EQ(ReadWholeFile(Target(L"DOCS\\img\\b.png")), "bravo");
    EXPECT_EQ(shown.Actions().front(), L"Creating destination folder");
    EXPECT_EQ(shown.NamesShownAs(kExtracting).size(), 7u);
    EXPECT_TRUE(shown.NamesShownAs(kSkipping).empty());
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(ExtractJob, CurrentFolderTakesTheFolderAndEverythingBelowIt)
{
    ASSERT_NO_FATAL_FAILURE(OpenFolderArchive());
    ASSERT_TRUE(EnterFolder(catalogue, L"docs"));
    list->Refresh();
    EXPECT_EQ(Run(ExtractCurrentFolder), IDOK);
    EXPECT_EQ(TreePaths(ReadTree(Destination())),
              (Names{L"docs\\", L"docs\\a.txt", L"docs\\img\\", L"docs\\img\\b.png"}));
    EXPECT_EQ(shown.NamesShownAs(kSkipping), (Names{L"docs2\\c.txt", L"docsX.txt", L"other\\docs\\d.txt", L"top.txt"}));
    EXPECT_EQ(shown.NamesShownAs(kExtracting), (Names{L"docs\\a.txt", L"DOCS\\img\\b.png", L"docs"}));
    EXPECT_TRUE(driver.AllAnswered());
}

// The ".." row alone chooses nothing: the job ends at once, without making the
// destination or walking (in a solid archive, unpacking) the archive.
TEST_F(ExtractJob, SelectedParentRowMatchesNothing)
{
    ASSERT_NO_FATAL_FAILURE(OpenFolderArchive());
    ASSERT_TRUE(EnterFolder(catalogue, L"docs"));
    list->Refresh();
    list->SelectRows({0});
    EXPECT_EQ(Run(ExtractSelected), IDOK);
    EXPECT_FALSE(PathExists(Destination()));
    EXPECT_TRUE(shown.Entries().empty());

    list->SelectAll();
    EXPECT_EQ(Run(ExtractSelected), IDOK);
    EXPECT_EQ(TreePaths(ReadTree(Destination())),
              (Names{L"docs\\", L"docs\\a.txt", L"docs\\img\\", L"docs\\img\\b.png"}));
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(ExtractJob, SelectedFolderTakesItsContents)
{
    ASSERT_NO_FATAL_FAILURE(OpenFolderArchive());
    list->SelectNamed({L"docs", L"top.txt"});
    EXPECT_EQ(Run(ExtractSelected), IDOK);
    EXPECT_EQ(TreePaths(ReadTree(Destination())),
              (Names{L"docs\\", L"docs\\a.txt", L"docs\\img\\", L"docs\\img\\b.png", L"top.txt"}));
    EXPECT_EQ(ReadWholeFile(Target(L"docs\\img\\b.png")), "bravo");
    EXPECT_TRUE(driver.AllAnswered());
}

// An existing target, a folder among them, is skipped in every mode and keeps
// its contents.
TEST_F(ExtractJob, SkipExistingHoldsInEveryMode)
{
    ASSERT_NO_FATAL_FAILURE(OpenFolderArchive());
    ASSERT_TRUE(EnterFolder(catalogue, L"docs"));
    list->Refresh();
    list->SelectNamed({L"a.txt"});
    for (ExtractMode mode : {ExtractAll, ExtractCurrentFolder, ExtractSelected}) {
        RemoveTree(Destination());
        WriteFileAt(Target(L"docs\\a.txt"), "kept");
        ProgressRecorder job;
        EXPECT_EQ(Run(mode, UpdateSkip), IDOK) << mode;
        EXPECT_EQ(ReadWholeFile(Target(L"docs\\a.txt")), "kept") << mode;
        const Names skipped = job.NamesShownAs(kSkipping);
        // A selection's job stops after its last entry and may not meet the folder.
        if (mode != ExtractSelected) {
            EXPECT_NE(std::find(skipped.begin(), skipped.end(), L"docs"), skipped.end()) << mode;
        }
        EXPECT_NE(std::find(skipped.begin(), skipped.end(), L"docs\\a.txt"), skipped.end()) << mode;
        const Names extracted = job.NamesShownAs(kExtracting);
        EXPECT_EQ(extracted.size(), mode == ExtractAll ? 5u : mode == ExtractCurrentFolder ? 1u : 0u) << mode;
    }
    // Replace writes over what is there.
    EXPECT_EQ(Run(ExtractSelected, UpdateReplace), IDOK);
    EXPECT_EQ(ReadWholeFile(Target(L"docs\\a.txt")), "alpha");
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(ExtractJob, EmptyFilesLeaveTheBarAtZero)
{
    fixture.WriteFile(L"one.txt");
    fixture.WriteFile(L"two.txt");
    ASSERT_NO_FATAL_FAILURE(Open(fixture.MakeArchive(L"empty.rar")));
    EXPECT_EQ(Run(), IDOK);
    EXPECT_EQ(TreePaths(ReadTree(Destination())), (Names{L"one.txt", L"two.txt"}));
    EXPECT_TRUE(shown.RequestedPositions().empty());
    EXPECT_TRUE(shown.ProgressTexts().empty());
    EXPECT_TRUE(driver.AllAnswered());
}

// One file of 1000 bytes against various expected totals.
TEST_F(ExtractJob, PercentageRoundsHalvesUpAndPassesOneHundred)
{
    fixture.WriteFile(L"thousand.bin", Noise(1000));
    ASSERT_NO_FATAL_FAILURE(Open(fixture.MakeArchive(L"thousand.rar")));
    struct Case {
        std::uint64_t total;
        int position;
        int bar;
        const wchar_t* text;
    };
    for (const Case& expected :
         {Case{8000, 8192, 8192, L"Total progress: 13%"}, Case{500, 131072, 65536, L"Total progress: 200%"},
          Case{0, 65536, 65536, L"Total progress: 100%"}}) {
        ProgressRecorder job;
        ExtractionJob extraction = MakeJob(catalogue, list->List(), Destination());
        extraction.totalBytes = expected.total;
        EXPECT_EQ(RunJobShowingAll(extraction, list->Owner()), IDOK);
        ASSERT_FALSE(job.RequestedPositions().empty()) << expected.total;
        EXPECT_EQ(job.RequestedPositions().back(), expected.position) << expected.total;
        EXPECT_EQ(job.BarPositions().back(), expected.bar) << expected.total;
        ASSERT_FALSE(job.ProgressTexts().empty());
        EXPECT_EQ(job.ProgressTexts().back(), expected.text);
    }
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(ExtractJob, DestinationThatCannotBeCreatedIsReported)
{
    fixture.WriteFile(L"a.txt", "a");
    ASSERT_NO_FATAL_FAILURE(Open(fixture.MakeArchive(L"a.rar")));
    fixture.WriteFile(L"blocker", "a file where a folder should go");
    for (const std::wstring& destination :
         {std::wstring(), std::wstring(L"relative\\dest"), fixture.InputPath(L"blocker\\dest")}) {
        ExpectErrorBox(driver, L"Cannot create the destination folder.");
        ExtractionJob job = MakeJob(catalogue, list->List(), destination);
        EXPECT_EQ(RunJobShowingAll(job, list->Owner()), IDCANCEL) << RarFixture::ToUtf8(destination);
    }
    EXPECT_TRUE(shown.NamesShownAs(kExtracting).empty());
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(ExtractJob, ArchiveThatCannotBeReopenedIsReported)
{
    fixture.WriteFile(L"a.txt", "a");
    ASSERT_NO_FATAL_FAILURE(Open(fixture.MakeArchive(L"gone.rar")));
    ASSERT_TRUE(::DeleteFileW(catalogue.archivePath.c_str()));
    ExpectErrorBox(driver, L"Volume open error.");
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_TRUE(ReadTree(Destination()).empty());
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(ExtractJob, MissingVolumeEndsTheJobWithAnError)
{
    fixture.WriteFile(L"noise.bin", Noise(60000));
    fixture.WriteFile(L"after.txt", "after");
    ASSERT_FALSE(fixture.MakeArchive(L"set.rar", L"-m0 -v20k", L"noise.bin after.txt").empty());
    ASSERT_NO_FATAL_FAILURE(Open(fixture.OutputPath(L"set.part1.rar")));
    ASSERT_TRUE(::DeleteFileW(fixture.OutputPath(L"set.part2.rar").c_str()));
    ExpectErrorBox(driver, L"Volume open error.");
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_TRUE(driver.AllAnswered());
}

// Stored files whose data the test spoils by name.
class DamagedEntries : public ExtractJob {
protected:
    static std::string Contents(const std::string& name) { return "the file " + name + ", stored as it is"; }

    void MakeStored(const std::vector<std::string>& names)
    {
        std::wstring files;
        for (const std::string& name : names) {
            fixture.WriteFile(RarFixture::FromUtf8(name), Contents(name));
            files += RarFixture::FromUtf8(name) + L" ";
        }
        archive = fixture.MakeArchive(L"stored.rar", L"-m0 -qo-", files);
        ASSERT_NO_FATAL_FAILURE(Open(archive));
        intact = ReadWholeFile(archive);
    }

    // The intact archive with these entries' data spoilt, and no destination yet.
    void Damage(const std::vector<std::string>& names)
    {
        std::string bytes = intact;
        for (const std::string& name : names)
            bytes[bytes.find(Contents(name))] = 'T';
        WriteFileAt(archive, bytes);
        RemoveTree(Destination());
    }

    void ExpectWrittenWhole(const Names& names)
    {
        EXPECT_EQ(TreePaths(ReadTree(Destination())), names);
        for (const std::wstring& name : names)
            EXPECT_EQ(ReadWholeFile(Target(name)), Contents(RarFixture::ToUtf8(name)));
    }

    std::wstring archive;
    std::string intact;
};

TEST_F(DamagedEntries, AFailedEntryCostsOnlyItselfAndIsToldOnce)
{
    ASSERT_NO_FATAL_FAILURE(MakeStored({"a.txt", "b.txt", "c.txt", "d.txt"}));
    Damage({"a.txt"});
    ExpectErrorBox(driver, L"File CRC error.");
    EXPECT_EQ(Run(), IDCANCEL);
    // No half-written a.txt either: the library removes what failed its check.
    ExpectWrittenWhole({L"b.txt", L"c.txt", L"d.txt"});
    EXPECT_TRUE(driver.AllAnswered());

    // The first as it happens, all of them named at the end.
    Damage({"a.txt", "b.txt", "d.txt"});
    ExpectErrorBox(driver, L"File CRC error.");
    ExpectErrorBox(driver, L"3 entries could not be extracted:\na.txt: File CRC error.\nb.txt: File CRC error.\n"
                           L"d.txt: File CRC error.");
    EXPECT_EQ(Run(), IDCANCEL);
    ExpectWrittenWhole({L"c.txt"});
    EXPECT_TRUE(driver.AllAnswered());
}

// A header that cannot be read ends the walk; what came before it stays.
TEST_F(DamagedEntries, ABrokenHeaderStillEndsTheJob)
{
    ASSERT_NO_FATAL_FAILURE(MakeStored({"a.txt", "b.txt", "c.txt", "d.txt"}));
    std::string error;
    ASSERT_TRUE(rar5::EditArchive(
        archive, [](rar5::Archive& a) { a.Find("c.txt")->damage = rar5::Damage::ZeroSize; }, &error))
        << error;
    intact = ReadWholeFile(archive);
    Damage({});
    ExpectErrorBox(driver, L"File header broken.");
    EXPECT_EQ(Run(), IDCANCEL);
    ExpectWrittenWhole({L"a.txt", L"b.txt"});

    Damage({"a.txt"});
    ExpectErrorBox(driver, L"File CRC error.");
    ExpectErrorBox(driver, L"1 entry could not be extracted:\na.txt: File CRC error.\n\n"
                           L"Extraction stopped: File header broken.");
    EXPECT_EQ(Run(), IDCANCEL);
    ExpectWrittenWhole({L"b.txt"});
    EXPECT_TRUE(driver.AllAnswered());
}

// In a solid archive every entry after the damage unpacks from it and fails too,
// as the reference finds.
TEST_F(ExtractJob, ASolidArchiveAfterDamageWritesWhatTheReferenceWrites)
{
    const char* const words[] = {"alpha", "bravo", "charlie", "delta", "echo", "foxtrot"};
    unsigned state = 7;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}) {
        std::string text;
        for (int i = 0; i < 3000; ++i) {
            state = state * 1103515245u + 12345u;
            text += std::string(words[(state >> 16) % 6]) + " ";
        }
        fixture.WriteFile(RarFixture::FromUtf8(name), text);
    }
    const std::wstring archive = fixture.MakeArchive(L"solid.rar", L"-s -qo-", L"a.txt b.txt c.txt d.txt e.txt");
    ASSERT_NO_FATAL_FAILURE(Open(archive));
    std::string bytes = ReadWholeFile(archive);
    // Between c.txt's header and d.txt's lies c.txt's packed data.
    bytes[(bytes.find("c.txt") + bytes.find("d.txt")) / 2] ^= 0x55;
    WriteFileAt(archive, bytes);

    Names boxes;
    CollectErrorBoxes(driver, boxes, 2);
    EXPECT_EQ(Run(), IDCANCEL);
    const std::wstring reference = fixture.Folder() + L"\\reference";
    EXPECT_EQ(ReferenceExtract(fixture, archive, reference), 3);
    EXPECT_EQ(TreePaths(ReadTree(Destination())), (Names{L"a.txt", L"b.txt"}));
    EXPECT_TRUE(ReadDiskTree(Destination()) == ReadDiskTree(reference));
    EXPECT_EQ(boxes, (Names{L"File CRC error.", L"3 entries could not be extracted:\nc.txt: File CRC error.\n"
                                                     L"d.txt: File CRC error.\ne.txt: File CRC error."}));
    EXPECT_TRUE(driver.AllAnswered());
}

// `value` in `bytes` bytes, low first.
std::string LittleEndian(std::uint32_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i));
    return out;
}

std::uint32_t Crc32Of(const std::string& bytes)
{
    return rar5::Crc32(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// A RAR 1.5-2.x block, which rar no longer writes: its checksum is the low half of
// the CRC32 of the fields after it; `after` counts in its size but not in the
// checksum (a comment held in the header).
std::string OldBlock(std::uint8_t type, std::uint16_t flags, const std::string& fields, const std::string& after = "")
{
    const std::string head = LittleEndian(type, 1) + LittleEndian(flags, 2) +
                             LittleEndian(static_cast<std::uint32_t>(7 + fields.size() + after.size()), 2) + fields;
    return LittleEndian(Crc32Of(head), 2) + head + after;
}

// An archive comment, and a comment in the first file's header, as RAR 2.x wrote
// them: intact (the library, as it came, checked that file header over its
// comment and read the archive as broken).
std::string OldArchiveWithComments()
{
    const auto comment = [](const std::string& text) {
        const auto size = static_cast<std::uint32_t>(text.size());
        return OldBlock(0x75, 0, LittleEndian(size, 2) + "\x14\x30" + LittleEndian(Crc32Of(text), 2), text);
    };
    const auto file = [](const std::string& name, const std::string& data, const std::string& held) {
        const auto size = static_cast<std::uint32_t>(data.size());
        const std::string fields = LittleEndian(size, 4) + LittleEndian(size, 4) + std::string(1, '\0') +
                                   LittleEndian(Crc32Of(data), 4) + LittleEndian(0x5A210000, 4) + "\x14\x30" +
                                   LittleEndian(static_cast<std::uint32_t>(name.size()), 2) + LittleEndian(0x20, 4) + name;
        return OldBlock(0x74, held.empty() ? 0x8000 : 0x8008, fields, held) + data;
    };
    return std::string("Rar!\x1a\x07\x00", 7) + OldBlock(0x73, 0x0002, std::string(6, '\0'), comment("archive")) +
           file("a.txt", "alpha", comment("file")) + file("b.txt", "bravo", "") + OldBlock(0x7B, 0x4000, "");
}

// The library reads on past a header whose checksum fails and says so only where
// the walk ends, as a broken header; with the comment unreadable that end is the
// comment's, and every entry is listed and written. Comments kept as RAR 2.x
// kept them are no damage at all.
TEST_F(ExtractJob, ADamagedCommentIsNoBrokenHeader)
{
    fixture.WriteFile(L"a.txt", "alpha");
    fixture.WriteFile(L"b.txt", "bravo");
    fixture.WriteFile(L"comment.txt", "the comment");
    const std::wstring archive = fixture.MakeArchive(L"comment.rar", L"-qo- -zcomment.txt", L"a.txt b.txt");
    // The comment's header follows the main header: spoil its checksum.
    std::string bytes = ReadWholeFile(archive);
    const std::vector<std::uint8_t> raw(bytes.begin(), bytes.end());
    size_t at = 12;
    std::uint64_t mainSize = 0;
    ASSERT_TRUE(rar5::ReadVint(raw, at, raw.size(), mainSize));
    bytes[at + mainSize] ^= 1;
    WriteFileAt(archive, bytes);
    const std::wstring old = fixture.OutputPath(L"old.rar");
    WriteFileAt(old, OldArchiveWithComments());

    for (const std::wstring& path : {archive, old}) {
        RemoveTree(Destination());
        if (path == archive)
            ExpectErrorBox(driver, L"The archive comment is corrupt.");
        ASSERT_NO_FATAL_FAILURE(Open(path));
        EXPECT_EQ(RowNames(catalogue), (Names{L"a.txt", L"b.txt"}));
        EXPECT_EQ(Run(), IDOK);
        EXPECT_EQ(ReadWholeFile(Target(L"a.txt")) + ReadWholeFile(Target(L"b.txt")), "alphabravo");
    }
    EXPECT_TRUE(driver.AllAnswered());
}

}  // namespace

namespace {

// A job over a chosen set stops once the catalogue's count of it is handled: in a
// solid archive every header more would be unpacked only to be skipped.
TEST_F(ExtractJob, ASelectionStopsAfterItsLastHeaderWithTheFullWalksResult)
{
    const auto text = [](const char* name) { return std::string(name) + std::string(300, '-'); };
    for (const char* name : {"a.txt", "b.txt", "c.txt", "twin.txt", "e.txt", "f.txt", "g.txt"})
        fixture.WriteFile(RarFixture::FromUtf8(name), text(name));
    const std::wstring archive =
        fixture.MakeArchive(L"solid.rar", L"-s -ds -qo-", L"a.txt b.txt c.txt twin.txt e.txt f.txt g.txt");
    // In this order (-ds: a solid archive is otherwise sorted). twin.txt becomes a
    // second header of a.txt; e.txt's data fails its check
    // (which a skip makes too, in a solid archive); g.txt's header breaks.
    ASSERT_TRUE(rar5::EditArchive(archive, [](rar5::Archive& a) {
        a.Find("twin.txt")->name = "a.txt";
        a.Find("e.txt")->dataCrc ^= 1;
        a.Find("g.txt")->damage = rar5::Damage::ZeroSize;
    }));
    ExpectErrorBox(driver, L"File header broken.");
    ASSERT_NO_FATAL_FAILURE(Open(archive));  // listed up to the broken header
    ASSERT_TRUE(driver.AllAnswered());

    // b alone: nothing after it is met, neither the damaged data nor the broken header.
    list->SelectNamed({L"b.txt"});
    EXPECT_EQ(Run(ExtractSelected), IDOK);
    EXPECT_EQ(shown.NamesShownAs(kSkipping), Names{L"a.txt"});
    EXPECT_EQ(shown.NamesShownAs(kExtracting), Names{L"b.txt"});
    EXPECT_EQ(TreePaths(ReadTree(Destination())), Names{L"b.txt"});
    EXPECT_EQ(ReadWholeFile(Target(L"b.txt")), text("b.txt"));

    // Either row of the twice-stored path takes both headers, as the full walk
    // writes them: the later one wins.
    RemoveTree(Destination());
    list->Refresh();
    list->SelectRows({RowNamed(catalogue, L"a.txt")});
    EXPECT_EQ(Run(ExtractSelected), IDOK);
    EXPECT_EQ(TreePaths(ReadTree(Destination())), Names{L"a.txt"});
    EXPECT_EQ(ReadWholeFile(Target(L"a.txt")), text("twin.txt"));

    // Damage before the last wanted entry is told, and costs only its own entry.
    list->Refresh();
    list->SelectNamed({L"f.txt"});
    ExpectErrorBox(driver, L"File CRC error.");
    EXPECT_EQ(Run(ExtractSelected), IDCANCEL);
    EXPECT_EQ(ReadWholeFile(Target(L"f.txt")), text("f.txt"));
    EXPECT_TRUE(driver.AllAnswered());
}

}  // namespace
