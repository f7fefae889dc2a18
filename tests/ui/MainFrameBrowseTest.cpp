// Opening an archive into the window and walking its folders as a user does.
#include <gtest/gtest.h>

#include "DialogDriver.h"
#include "MainFrameTesting.h"
#include "RarCraft.h"
#include "RarFixture.h"
#include "res/resource.h"

namespace {

using Names = std::vector<std::wstring>;

class MainFrameBrowse : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!RarFixture::Available())
            GTEST_SKIP() << "rar cannot be run from here";
        fixture.WriteFile(L"docs\\guide\\intro.txt", "intro");
        fixture.WriteFile(L"docs\\readme.txt", "readme");
        fixture.WriteFile(L"docs\\empty\\.keep", "");
        fixture.WriteFile(L"Zeta.txt", "zeta");
        fixture.WriteFile(L"alpha.txt", "alpha");
        archive = fixture.MakeArchive(L"browse.rar");
        ASSERT_FALSE(archive.empty());
    }

    // Any box that was not expected is cancelled and reported.
    void TearDown() override { EXPECT_TRUE(driver.AllAnswered()); }

    void PressCtrlA()
    {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        MSG message = {shown.List(), WM_KEYDOWN, 'A', 0x001E0001, 0, {0, 0}};
        const bool claimed = shown.Frame().FilterMessage(&message);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
        EXPECT_TRUE(claimed);
        PumpMessagesFor(20);
    }

    DialogDriver driver;
    RarFixture fixture;
    std::wstring archive;
    ShownMainFrame shown;
};

}  // namespace

TEST_F(MainFrameBrowse, OpeningShowsTheTopLevelTitleAndStatus)
{
    EXPECT_EQ(1, shown.Frame().OpenArchive(archive));
    EXPECT_EQ(L"Quillet - [" + archive + L"]", shown.Title());
    EXPECT_EQ((Names{L"docs", L"Zeta.txt", L"alpha.txt"}), shown.RowNames());
    EXPECT_EQ(L"Folder", shown.CellText(0, 1));
    EXPECT_EQ(L"", shown.CellText(0, 2));
    EXPECT_EQ(L"File", shown.CellText(1, 1));
    EXPECT_EQ(L"4", shown.CellText(1, 2));
    EXPECT_EQ(L"No selected items", shown.StatusText());
}

TEST_F(MainFrameBrowse, DoubleClicksEnterFoldersAndTheParentRowLeadsBack)
{
    shown.Frame().OpenArchive(archive);
    shown.DoubleClick(shown.RowNamed(L"docs"));
    EXPECT_EQ((Names{L"..", L"empty", L"guide", L"readme.txt"}), shown.RowNames());
    EXPECT_EQ(L"", shown.CellText(0, 1));

    shown.DoubleClick(shown.RowNamed(L"empty"));
    EXPECT_EQ((Names{L"..", L".keep"}), shown.RowNames());
    shown.DoubleClick(0);
    EXPECT_EQ((Names{L"..", L"empty", L"guide", L"readme.txt"}), shown.RowNames());
    shown.DoubleClick(0);
    EXPECT_EQ((Names{L"docs", L"Zeta.txt", L"alpha.txt"}), shown.RowNames());
    // The title names the archive only.
    EXPECT_EQ(L"Quillet - [" + archive + L"]", shown.Title());
}

TEST_F(MainFrameBrowse, DoubleClickBelowTheLastRowDoesNothing)
{
    shown.Frame().OpenArchive(archive);
    shown.DoubleClick(-1);
    EXPECT_EQ(3, shown.RowCount());
    shown.DoubleClick(shown.RowNamed(L"docs"));
    shown.DoubleClick(-1);
    EXPECT_EQ(4, shown.RowCount());
    EXPECT_EQ(L"..", shown.CellText(0, 0));
}

TEST_F(MainFrameBrowse, CtrlASelectsEveryRowWhileTheCountLeavesOutTheParentRow)
{
    shown.Frame().OpenArchive(archive);
    PressCtrlA();
    EXPECT_EQ(3, shown.SelectedCount());
    EXPECT_EQ(L"Selected 3 items", shown.StatusText());

    shown.DoubleClick(shown.RowNamed(L"docs"));
    EXPECT_EQ(0, shown.SelectedCount());  // a new view starts unselected
    EXPECT_EQ(L"No selected items", shown.StatusText());
    PressCtrlA();
    EXPECT_EQ(4, shown.SelectedCount());
    EXPECT_EQ(L"Selected 3 items", shown.StatusText());

    shown.Frame().ClearSelection();
    shown.Select(0);
    EXPECT_EQ(L"No selected items", shown.StatusText());
    shown.Select(1);
    EXPECT_EQ(L"Selected 1 item", shown.StatusText());
}

TEST_F(MainFrameBrowse, FailedOpenEmptiesTheListAndTitleButKeepsTheCatalogue)
{
    fixture.WriteFile(L"notes.rar", "These are notes, not an archive.");
    shown.Frame().OpenArchive(archive);
    shown.DoubleClick(shown.RowNamed(L"docs"));

    driver.Expect(L"Error", [](DialogDriver::Dialog& box) {
        EXPECT_EQ(L"Bad archive.", box.MessageText());
        box.Press(IDOK);
    });
    EXPECT_EQ(-1, shown.Frame().OpenArchive(fixture.InputPath(L"notes.rar")));
    EXPECT_EQ(L"Quillet", shown.Title());
    EXPECT_EQ(0, shown.RowCount());
    EXPECT_EQ(archive, shown.Frame().Catalogue().archivePath);
    ASSERT_NE(nullptr, shown.Frame().Catalogue().currentFolder);
    EXPECT_EQ(L"docs", shown.Frame().Catalogue().currentFolder->path);
}

TEST_F(MainFrameBrowse, EmptyArchiveOpensWithNoRowsAndItsPathInTheTitle)
{
    // rar makes no empty archive: take the one entry out of a small one.
    const std::wstring empty = fixture.MakeArchive(L"empty.rar", L"-qo-", L"alpha.txt");
    std::string error;
    ASSERT_TRUE(rar5::EditArchive(
        empty, [](rar5::Archive& a) { a.RemoveFile(0); }, &error))
        << error;
    EXPECT_EQ(1, shown.Frame().OpenArchive(empty));
    EXPECT_EQ(0, shown.RowCount());
    EXPECT_EQ(L"Quillet - [" + empty + L"]", shown.Title());
    EXPECT_EQ(L"No selected items", shown.StatusText());
}

// The user types the password as the prompt opens, and presses Enter: asked once,
// at open, with the window out of reach meanwhile.
TEST_F(MainFrameBrowse, APasswordTypedAtOnceOpensAnArchiveWithEncryptedHeaders)
{
    const std::wstring locked = fixture.MakeArchive(L"locked.rar", L"-r -hpswordfish");
    ASSERT_FALSE(locked.empty());
    HWND owner = nullptr;
    bool frameEnabled = true;
    driver.Expect(L"Enter password", [&](DialogDriver::Dialog& prompt) {
        owner = GetWindow(prompt.Handle(), GW_OWNER);
        frameEnabled = IsWindowEnabled(shown.Window()) != FALSE;
        prompt.Type(L"swordfish\n");
    });
    EXPECT_EQ(1, shown.Frame().OpenArchive(locked));
    EXPECT_EQ(owner, shown.Window());
    EXPECT_FALSE(frameEnabled);
    EXPECT_TRUE(IsWindowEnabled(shown.Window()));
    EXPECT_EQ(L"Quillet - [" + locked + L"]", shown.Title());
    EXPECT_EQ((Names{L"docs", L"Zeta.txt", L"alpha.txt"}), shown.RowNames());
}
