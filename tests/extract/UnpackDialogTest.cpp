// The Unpack dialog and command, driven as a user would: choices, jobs run from
// OK, the dialog staying for another job, and the message without an archive.

#include "ExtractTesting.h"

#include "extract/DlgUnpack.h"
#include "extract/ExtractionPaths.h"
#include "extract/UnpackCommand.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace {

class UnpackDialog : public RarFixtureTest {
protected:
    void SetUp() override
    {
        RarFixtureTest::SetUp();
        if (IsSkipped())
            return;
        fixture.WriteFile(L"docs\\a.txt", "alpha");
        fixture.WriteFile(L"docs\\img\\b.png", "bravo");
        fixture.WriteFile(L"other\\c.txt", "charlie");
        fixture.WriteFile(L"top.txt", "top");
        const std::wstring archive = fixture.MakeArchive(L"photos.rar");
        ASSERT_FALSE(archive.empty());
        ASSERT_TRUE(OpenCatalogue(catalogue, archive));
        list = std::make_unique<TestList>(catalogue);
    }

    std::wstring Destination() const { return fixture.Folder() + L"\\dest"; }
    std::wstring Target(const std::wstring& relative) const { return Destination() + L"\\" + relative; }

    // One press of OK with these choices; `before` runs first.
    void ExpectJob(int modeButton, int updateButton, std::function<void()> before = nullptr)
    {
        driver.Expect(L"Unpack", [=](DialogDriver::Dialog& unpack) {
            if (before)
                before();
            unpack.SetText(IDC_DESTINATION, Destination());
            unpack.Check(modeButton);
            unpack.Check(updateButton);
            unpack.Press(IDOK);
        });
    }

    void ExpectClose()
    {
        driver.Expect(L"Unpack", [](DialogDriver::Dialog& unpack) { unpack.Press(IDCANCEL); });
    }

    INT_PTR RunUnpack()
    {
        CDlgUnpack unpack(catalogue.archivePath, catalogue.currentFolder, list->List(), catalogue, catalogue.totalSize);
        return unpack.DoModal(list->Owner());
    }

    DialogDriver driver;
    ArchiveCatalogue catalogue;
    std::unique_ptr<TestList> list;
};

class UnpackModes : public UnpackDialog, public ::testing::WithParamInterface<std::tuple<int, int>> {};

// Inside "docs" with "a.txt" selected, and an older docs\a.txt already there.
TEST_P(UnpackModes, EveryExtractModeWithEachUpdateMode)
{
    const int modeButton = std::get<0>(GetParam());
    const int updateButton = std::get<1>(GetParam());
    ASSERT_TRUE(EnterFolder(catalogue, L"docs"));
    list->Refresh();
    list->SelectNamed({L"a.txt"});
    WriteFileAt(Target(L"docs\\a.txt"), "old");
    ExpectJob(modeButton, updateButton);
    ExpectClose();
    EXPECT_EQ(RunUnpack(), IDCANCEL);
    EXPECT_TRUE(driver.AllAnswered());

    EXPECT_EQ(ReadWholeFile(Target(L"docs\\a.txt")), updateButton == IDC_UPDATE_SKIP ? "old" : "alpha");
    EXPECT_EQ(PathExists(Target(L"docs\\img\\b.png")), modeButton != IDC_EXTRACT_SELECTED);
    EXPECT_EQ(PathExists(Target(L"top.txt")), modeButton == IDC_EXTRACT_ALL);
    EXPECT_EQ(PathExists(Target(L"other\\c.txt")), modeButton == IDC_EXTRACT_ALL);
}

INSTANTIATE_TEST_SUITE_P(, UnpackModes,
                         ::testing::Combine(::testing::Values(IDC_EXTRACT_ALL, IDC_EXTRACT_CURRENT_FOLDER,
                                                              IDC_EXTRACT_SELECTED),
                                            ::testing::Values(IDC_UPDATE_REPLACE, IDC_UPDATE_SKIP)));

// The dialog stays after a job; the second OK runs the same choices again.
TEST_F(UnpackDialog, OkTwiceRunsTwoJobs)
{
    for (int updateButton : {IDC_UPDATE_REPLACE, IDC_UPDATE_SKIP}) {
        const std::wstring topFile = Target(L"top.txt");
        ExpectJob(IDC_EXTRACT_ALL, updateButton);
        ExpectJob(IDC_EXTRACT_ALL, updateButton, [topFile] { WriteFileAt(topFile, "changed"); });
        ExpectClose();
        EXPECT_EQ(RunUnpack(), IDCANCEL);
        EXPECT_TRUE(driver.AllAnswered());
        EXPECT_EQ(ReadWholeFile(topFile), updateButton == IDC_UPDATE_SKIP ? "changed" : "top");
    }
}

TEST_F(UnpackDialog, StartsWithDefaultsAndTheProposedDestination)
{
    driver.Expect(L"Unpack", [&](DialogDriver::Dialog& unpack) {
        EXPECT_EQ(unpack.Text(IDC_DESTINATION), fixture.OutputPath(L"photos"));
        EXPECT_TRUE(unpack.IsChecked(IDC_EXTRACT_ALL));
        EXPECT_TRUE(unpack.IsChecked(IDC_UPDATE_REPLACE));
        EXPECT_FALSE(unpack.IsEnabled(IDC_EXTRACT_CURRENT_FOLDER));
        EXPECT_FALSE(unpack.IsEnabled(IDC_EXTRACT_SELECTED));
        ::PostMessageW(unpack.Handle(), WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(RunUnpack(), IDCANCEL);

    // In a folder with only ".." selected both are offered.
    ASSERT_TRUE(EnterFolder(catalogue, L"docs"));
    list->Refresh();
    list->SelectRows({0});
    driver.Expect(L"Unpack", [](DialogDriver::Dialog& unpack) {
        EXPECT_TRUE(unpack.IsEnabled(IDC_EXTRACT_CURRENT_FOLDER));
        EXPECT_TRUE(unpack.IsEnabled(IDC_EXTRACT_SELECTED));
        unpack.Press(IDCANCEL);
    });
    EXPECT_EQ(RunUnpack(), IDCANCEL);
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(UnpackDialog, TotalsFollowTheChosenEntries)
{
    list->SelectNamed({L"docs", L"top.txt"});
    CDlgUnpack unpack(catalogue.archivePath, catalogue.currentFolder, list->List(), catalogue, catalogue.totalSize);
    driver.Expect(L"Unpack", [&](DialogDriver::Dialog& dialog) {
        EXPECT_EQ(unpack.JobFromChoices().totalBytes, catalogue.totalSize);
        dialog.Check(IDC_EXTRACT_SELECTED);
        // A selected folder counts with its contents, as the job takes them.
        const ExtractionJob job = unpack.JobFromChoices();
        EXPECT_EQ(job.extractMode, ExtractSelected);
        EXPECT_EQ(job.totalBytes, 5u + 5u + 3u);
        dialog.Press(IDCANCEL);
    });
    EXPECT_EQ(unpack.DoModal(list->Owner()), IDCANCEL);
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(UnpackDialog, BrowseOpensAtTheFieldsFolderAndTakesTheChoice)
{
    ASSERT_TRUE(CreateFolderWithParents(Destination()));
    driver.Expect(L"Unpack", [&](DialogDriver::Dialog& unpack) {
        unpack.SetText(IDC_DESTINATION, Destination());
        unpack.Press(IDC_BROWSE);
    });
    driver.Expect(L"Browse for Folder", [](DialogDriver::Dialog& browser) { browser.Press(IDCANCEL); });
    driver.Expect(L"Unpack", [&](DialogDriver::Dialog& unpack) {
        EXPECT_EQ(unpack.Text(IDC_DESTINATION), Destination());
        unpack.SetText(IDC_DESTINATION, Destination());
        unpack.Press(IDC_BROWSE);
    });
    driver.Expect(L"Browse for Folder", [](DialogDriver::Dialog& browser) { browser.Press(IDOK); });
    driver.Expect(L"Unpack", [&](DialogDriver::Dialog& unpack) {
        EXPECT_EQ(unpack.Text(IDC_DESTINATION), Destination());
        unpack.Press(IDCANCEL);
    });
    EXPECT_EQ(RunUnpack(), IDCANCEL);
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(UnpackDialog, CommandWithoutAnArchiveSaysSo)
{
    ArchiveCatalogue nothingOpen;
    ExpectErrorBox(driver, L"File is not opened");
    RunUnpackCommand(list->Owner(), list->List(), nothingOpen);

    ExpectClose();
    RunUnpackCommand(list->Owner(), list->List(), catalogue);
    EXPECT_TRUE(driver.AllAnswered());
}

TEST(DestinationProposal, DropsTheLastExtensionOnly)
{
    EXPECT_EQ(ProposedDestination(L"C:\\dl\\photos.rar"), L"C:\\dl\\photos");
    EXPECT_EQ(ProposedDestination(L"C:\\dl\\archive.part1.rar"), L"C:\\dl\\archive.part1");
    EXPECT_EQ(ProposedDestination(L"C:\\dl\\noextension"), L"C:\\dl\\noextension");
    EXPECT_EQ(ProposedDestination(L"C:\\my.dir\\noextension"), L"C:\\my.dir\\noextension");
    EXPECT_EQ(ProposedDestination(L"C:\\dl\\a.b c"), L"C:\\dl\\a.b c");
}

}  // namespace
