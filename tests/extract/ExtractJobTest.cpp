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

TEST_F(ExtractJob, DamagedDataIsACrcErrorAndADamagedHeaderABrokenHeader)
{
    fixture.WriteFile(L"first.txt", "first");
    fixture.WriteFile(L"second.txt", "the second file, stored as it is");
    fixture.WriteFile(L"third.txt", "third");
    const std::wstring archive = fixture.MakeArchive(L"stored.rar", L"-m0 -qo-", L"first.txt second.txt third.txt");
    ASSERT_NO_FATAL_FAILURE(Open(archive));
    const std::wstring copy = fixture.OutputPath(L"header.rar");
    ASSERT_TRUE(::CopyFileW(archive.c_str(), copy.c_str(), FALSE));

    std::string bytes = ReadWholeFile(archive);
    const size_t data = bytes.find("the second file");
    ASSERT_NE(data, std::string::npos);
    bytes[data] = 'T';
    WriteFileAt(archive, bytes);
    ExpectErrorBox(driver, L"File CRC error.");
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_EQ(ReadWholeFile(Target(L"first.txt")), "first");
    EXPECT_FALSE(PathExists(Target(L"third.txt")));

    std::string error;
    ASSERT_TRUE(rar5::EditArchive(
        copy, [](rar5::Archive& a) { a.Files().at(1).damage = rar5::Damage::ZeroSize; }, &error))
        << error;
    catalogue.archivePath = copy;
    ::DeleteFileW(Target(L"first.txt").c_str());
    ExpectErrorBox(driver, L"File header broken.");
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_EQ(ReadWholeFile(Target(L"first.txt")), "first");
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

    // Damage before the last wanted entry still ends the job as before.
    list->Refresh();
    list->SelectNamed({L"f.txt"});
    ExpectErrorBox(driver, L"File CRC error.");
    EXPECT_EQ(Run(ExtractSelected), IDCANCEL);
    EXPECT_FALSE(PathExists(Target(L"f.txt")));
    EXPECT_TRUE(driver.AllAnswered());
}

}  // namespace
