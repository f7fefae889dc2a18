// The main window's controls, layout, limits and routing.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <set>

#include "DialogDriver.h"
#include "MainFrameTesting.h"
#include "res/resource.h"
#include "ui/ControlIds.h"

namespace {

int Width(const RECT& r)
{
    return r.right - r.left;
}
int Height(const RECT& r)
{
    return r.bottom - r.top;
}

}  // namespace

TEST(MainFrameIds, SixDistinctIdentifiersWithinTheirRangeThatDifferBetweenRuns)
{
    std::set<std::array<int, 6>> runs;
    for (unsigned seed = 1; seed <= 50; ++seed) {
        srand(seed);
        const auto ids = DrawControlIds();
        const std::set<int> distinct(ids.begin(), ids.end());
        EXPECT_EQ(6u, distinct.size());
        for (int id : ids) {
            EXPECT_GE(id, 40000);
            EXPECT_LE(id, 59999);
            EXPECT_NE(ID_SELECT_ALL, id);
        }
        runs.insert(ids);
    }
    EXPECT_GT(runs.size(), 45u);

    ShownMainFrame shown;
    CMainFrame& frame = shown.Frame();
    EXPECT_EQ(frame.ListId(), GetDlgCtrlID(shown.List()));
    EXPECT_EQ(frame.StatusBarId(), GetDlgCtrlID(frame.StatusBar()));
    EXPECT_NE(nullptr, GetDlgItem(shown.Window(), frame.OpenButtonId()));
    EXPECT_NE(nullptr, GetDlgItem(shown.Window(), frame.AboutButtonId()));
}

TEST(MainFrameLayout, StartsEmptyWithTheProductNameAndBlankStatus)
{
    ShownMainFrame shown;
    EXPECT_EQ(L"Quillet", shown.Title());
    EXPECT_EQ(0, shown.RowCount());
    EXPECT_EQ(L"", shown.StatusText());
    wchar_t second[64] = {};
    SendMessageW(shown.Frame().StatusBar(), SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(second));
    EXPECT_STREQ(L"", second);
    int parts[4] = {};
    EXPECT_EQ(2, SendMessageW(shown.Frame().StatusBar(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(parts)));
    EXPECT_EQ(300, parts[0]);
}

TEST(MainFrameLayout, ListFillsTheMiddleAfterEveryResizeWhileButtonsStay)
{
    ShownMainFrame shown;
    CMainFrame& frame = shown.Frame();
    const RECT expectedButtons[] = {{5, 5, 70, 60}, {75, 5, 140, 60}, {155, 5, 220, 60}, {235, 5, 305, 60}};
    const int buttonIds[] = {frame.OpenButtonId(), frame.UnpackButtonId(), frame.SettingsButtonId(),
                             frame.AboutButtonId()};

    for (SIZE size : {SIZE{900, 700}, SIZE{640, 430}, SIZE{1200, 900}, SIZE{700, 500}}) {
        SetWindowPos(shown.Window(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        PumpMessagesFor(10);
        RECT client = {};
        GetClientRect(shown.Window(), &client);
        const RECT list = shown.ChildRect(shown.List());
        const RECT status = shown.ChildRect(frame.StatusBar());
        EXPECT_EQ(1, list.left);
        EXPECT_EQ(65, list.top);
        EXPECT_EQ(client.right - 2, Width(list));
        EXPECT_EQ(status.top - 1, list.bottom);
        EXPECT_EQ(client.bottom, status.bottom);
        for (int i = 0; i < 4; ++i) {
            const RECT button = shown.ChildRect(GetDlgItem(shown.Window(), buttonIds[i]));
            EXPECT_EQ(0, memcmp(&expectedButtons[i], &button, sizeof(RECT))) << i;
        }
    }
}

TEST(MainFrameLayout, MinimisedWindowGivesTheListNoNegativeSizeAndRestoringLaysOutAgain)
{
    ShownMainFrame shown;
    SendMessageW(shown.Window(), WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
    RECT list = shown.ChildRect(shown.List());
    EXPECT_EQ(0, Width(list));
    EXPECT_EQ(0, Height(list));

    RECT client = {};
    GetClientRect(shown.Window(), &client);
    SendMessageW(shown.Window(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    list = shown.ChildRect(shown.List());
    EXPECT_EQ(client.right - 2, Width(list));
}

TEST(MainFrameLayout, ClientAreaCannotBeDraggedBelowSixHundredByThreeNinety)
{
    ShownMainFrame shown;
    RECT window = {};
    RECT client = {};
    GetWindowRect(shown.Window(), &window);
    GetClientRect(shown.Window(), &client);
    MINMAXINFO info = {};
    info.ptMaxTrackSize = {123456, 123456};
    SendMessageW(shown.Window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(600, info.ptMinTrackSize.x - (Width(window) - client.right));
    EXPECT_EQ(390, info.ptMinTrackSize.y - (Height(window) - client.bottom));
    EXPECT_EQ(123456, info.ptMaxTrackSize.x);  // no upper limit set
}

TEST(MainFrameColumns, OrderTitlesAlignmentAndStoredWidths)
{
    AppSettings settings;
    settings.Column1 = 300;
    settings.Column2 = 101;
    settings.Column3 = 77;
    settings.Column4 = -1;
    ShownMainFrame shown(settings);

    const wchar_t* titles[] = {L"File name", L"Type", L"Size", L"Modified"};
    const int formats[] = {LVCFMT_LEFT, LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_RIGHT};
    for (int i = 0; i < 4; ++i) {
        wchar_t text[64] = {};
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        column.pszText = text;
        column.cchTextMax = 64;
        ASSERT_TRUE(SendMessageW(shown.List(), LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(titles[i], text);
        EXPECT_EQ(formats[i], column.fmt & LVCFMT_JUSTIFYMASK);
    }
    EXPECT_EQ(300, SendMessageW(shown.List(), LVM_GETCOLUMNWIDTH, 0, 0));
    EXPECT_EQ(101, SendMessageW(shown.List(), LVM_GETCOLUMNWIDTH, 1, 0));
    EXPECT_EQ(77, SendMessageW(shown.List(), LVM_GETCOLUMNWIDTH, 2, 0));
    EXPECT_GT(SendMessageW(shown.List(), LVM_GETCOLUMNWIDTH, 3, 0), 0);  // the list's default

    const DWORD style = static_cast<DWORD>(GetWindowLongW(shown.List(), GWL_STYLE));
    EXPECT_EQ(static_cast<DWORD>(LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA | LVS_NOSORTHEADER),
              style & (LVS_TYPEMASK | LVS_SHOWSELALWAYS | LVS_OWNERDATA | LVS_NOSORTHEADER | LVS_SINGLESEL));
    EXPECT_EQ(static_cast<LRESULT>(LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER),
              SendMessageW(shown.List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}

// The frame owns the rows' image list and destroys it; the list only borrows it,
// or it would destroy it a second time when its window goes.
TEST(MainFrameColumns, TheListBorrowsTheFramesImageList)
{
    ShownMainFrame shown;
    EXPECT_TRUE(GetWindowLongW(shown.List(), GWL_STYLE) & LVS_SHAREIMAGELISTS);
    const auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(shown.List(), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(images, nullptr);
    DestroyWindow(shown.List());
    EXPECT_EQ(ImageList_GetImageCount(images), 2);
}

TEST(MainFrameColumns, ClosingStoresTheGeometryAndColumnWidthsOfThatMoment)
{
    ShownMainFrame shown;
    SendMessageW(shown.List(), LVM_SETCOLUMNWIDTH, 0, 210);
    SendMessageW(shown.List(), LVM_SETCOLUMNWIDTH, 3, 133);
    SetWindowPos(shown.Window(), nullptr, 44, 33, 780, 520, SWP_NOZORDER);
    RECT client = {};
    GetClientRect(shown.Window(), &client);
    shown.Settings().Column5 = 999;

    DestroyWindow(shown.Window());
    const AppSettings& stored = shown.Settings();
    EXPECT_EQ(44, stored.X);
    EXPECT_EQ(33, stored.Y);
    EXPECT_EQ(client.right, stored.Width);
    EXPECT_EQ(client.bottom, stored.Height);
    EXPECT_EQ(210, stored.Column1);
    EXPECT_EQ(155, stored.Column2);
    EXPECT_EQ(133, stored.Column4);
    EXPECT_EQ(999, stored.Column5);
    MSG quit = {};
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(1u, quit.wParam);
}

TEST(MainFrameRouting, CommandsCountByIdentifierWhateverTheNotificationCode)
{
    ShownMainFrame shown;
    DialogDriver driver;
    driver.Expect(L"About Quillet...", [](DialogDriver::Dialog& about) { about.Press(IDOK); });
    driver.Expect(L"Settings", [](DialogDriver::Dialog& settings) { settings.Press(IDCANCEL); });
    driver.Expect(L"Error", [](DialogDriver::Dialog& box) {
        EXPECT_EQ(L"File is not opened", box.MessageText());
        box.Press(IDOK);
    });
    SendMessageW(shown.Window(), WM_COMMAND, MAKEWPARAM(shown.Frame().AboutButtonId(), 0x1234), 0);
    SendMessageW(shown.Window(), WM_COMMAND, MAKEWPARAM(shown.Frame().SettingsButtonId(), 1), 0);
    SendMessageW(shown.Window(), WM_COMMAND, MAKEWPARAM(shown.Frame().UnpackButtonId(), BN_CLICKED), 0);
    EXPECT_TRUE(driver.AllAnswered());
}

TEST(MainFrameRouting, ToolbarClickOpensItsDialogAfterTheClickHasEnded)
{
    ShownMainFrame shown;
    DialogDriver driver;
    driver.Expect(L"About Quillet...", [](DialogDriver::Dialog& about) { about.Press(IDOK); });
    HWND about = GetDlgItem(shown.Window(), shown.Frame().AboutButtonId());
    SendMessageW(about, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    SendMessageW(about, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(about, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(1u, driver.Pending());  // posted, not yet handled
    PumpMessagesFor(300);
    EXPECT_TRUE(driver.AllAnswered());
}

TEST(MainFrameDragDrop, SwitchDecidesWhetherTheListAcceptsFiles)
{
    AppSettings off;
    off.DragDrop = 0;
    ShownMainFrame shown(off);
    auto accepts = [&] { return (GetWindowLongW(shown.List(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; };
    EXPECT_FALSE(accepts());

    shown.Settings().DragDrop = 1;
    shown.Frame().ApplyDragDropSetting();
    EXPECT_TRUE(accepts());
    shown.Settings().DragDrop = 0;
    shown.Frame().ApplyDragDropSetting();
    EXPECT_FALSE(accepts());
}

TEST(MainFrameDragDrop, SettingsOkAppliesTheSwitchAtOnceAndCancelChangesNothing)
{
    ShownMainFrame shown;
    auto accepts = [&] { return (GetWindowLongW(shown.List(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; };
    ASSERT_TRUE(accepts());
    const int settingsId = shown.Frame().SettingsButtonId();

    DialogDriver driver;
    driver.Expect(L"Settings", [](DialogDriver::Dialog& d) {
        d.Check(IDC_DRAG_DROP, false);
        d.Check(IDC_OPEN_FILE, false);
        d.Press(IDCANCEL);
    });
    SendMessageW(shown.Window(), WM_COMMAND, settingsId, 0);
    EXPECT_TRUE(accepts());
    EXPECT_EQ(1, shown.Settings().DragDrop);
    EXPECT_EQ(1, shown.Settings().OpenFile);

    driver.Expect(L"Settings", [](DialogDriver::Dialog& d) {
        d.Check(IDC_DRAG_DROP, false);
        d.Press(IDOK);
    });
    SendMessageW(shown.Window(), WM_COMMAND, settingsId, 0);
    EXPECT_FALSE(accepts());
    EXPECT_EQ(0, shown.Settings().DragDrop);
    EXPECT_TRUE(driver.AllAnswered());
}

TEST(MainFrameDragDrop, DropMessagesForTheListAreClaimedWhateverTheSwitch)
{
    AppSettings off;
    off.DragDrop = 0;
    ShownMainFrame shown(off);
    // An empty drop: the frame must take and release it without opening anything.
    HGLOBAL drop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + 4);
    auto* files = static_cast<DROPFILES*>(GlobalLock(drop));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    GlobalUnlock(drop);
    MSG message = {shown.List(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0, 0, {0, 0}};
    EXPECT_TRUE(shown.Frame().FilterMessage(&message));
    EXPECT_EQ(L"Quillet", shown.Title());

    MSG elsewhere = {shown.Window(), WM_DROPFILES, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(shown.Frame().FilterMessage(&elsewhere));
}
