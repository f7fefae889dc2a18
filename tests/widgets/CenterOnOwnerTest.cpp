#include "widgets/CenterOnOwner.h"

#include "framework/Dialog.h"
#include "framework/Handles.h"

#include "DialogDriver.h"
#include "TestDialogIds.h"

#include <gtest/gtest.h>

namespace {

constexpr int kDialogWidth = 300;
constexpr int kDialogHeight = 200;

int Width(const RECT& rect)
{
    return rect.right - rect.left;
}

int Height(const RECT& rect)
{
    return rect.bottom - rect.top;
}

RECT WindowRect(HWND window)
{
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

RECT WorkAreaNearest(HWND window)
{
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

UniqueWindow CreatePopup(HWND owner, const RECT& rect, bool visible)
{
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | (visible ? WS_VISIBLE : 0);
    return UniqueWindow(::CreateWindowExW(0, L"Static", L"", style, rect.left, rect.top, Width(rect), Height(rect),
                                          owner, nullptr, ::GetModuleHandleW(nullptr), nullptr));
}

// Where the dialog's left/top should land when centred on `centre`.
POINT CentredOn(const RECT& centre, int width, int height)
{
    return {(centre.left + centre.right) / 2 - width / 2, (centre.top + centre.bottom) / 2 - height / 2};
}

class CenterOnOwnerPlacement : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The work area of the screen's primary monitor, where every window starts.
        probe = CreatePopup(nullptr, RECT{10, 10, 20, 20}, false);
        ASSERT_TRUE(probe);
        area = WorkAreaNearest(probe.get());
        ASSERT_GT(Width(area), 4 * kDialogWidth);
        ASSERT_GT(Height(area), 4 * kDialogHeight);
    }

    // A hidden dialog owned by an owner with the given rectangle.
    void MakeOwnerAndDialog(const RECT& ownerRect, bool ownerVisible = true)
    {
        owner = CreatePopup(nullptr, ownerRect, ownerVisible);
        ASSERT_TRUE(owner);
        dialog = CreatePopup(owner.get(), CentreOfArea(), false);
        ASSERT_TRUE(dialog);
        ASSERT_EQ(::GetWindow(dialog.get(), GW_OWNER), owner.get());
    }

    RECT CentreOfArea() const
    {
        int left = area.left + 40;
        int top = area.top + 40;
        return {left, top, left + kDialogWidth, top + kDialogHeight};
    }

    RECT OwnerAt(int left, int top) const { return {left, top, left + 600, top + 400}; }

    RECT area{};
    UniqueWindow probe;
    UniqueWindow owner;
    UniqueWindow dialog;  // declared last: destroyed before its owner
};

}  // namespace

TEST_F(CenterOnOwnerPlacement, VisibleOwnerCentresOnItsOuterRectangle)
{
    MakeOwnerAndDialog(OwnerAt(area.left + 201, area.top + 150));

    ASSERT_TRUE(CenterOnOwner(dialog.get()));

    RECT placed = WindowRect(dialog.get());
    POINT expected = CentredOn(WindowRect(owner.get()), kDialogWidth, kDialogHeight);
    EXPECT_EQ(placed.left, expected.x);
    EXPECT_EQ(placed.top, expected.y);
    EXPECT_EQ(Width(placed), kDialogWidth);
    EXPECT_EQ(Height(placed), kDialogHeight);
    EXPECT_FALSE(::IsWindowVisible(dialog.get()));
}

TEST_F(CenterOnOwnerPlacement, ExplicitCentreWindowWinsOverTheOwner)
{
    MakeOwnerAndDialog(OwnerAt(area.left + 20, area.top + 20));
    UniqueWindow other = CreatePopup(nullptr, OwnerAt(area.left + 400, area.top + 300), true);

    ASSERT_TRUE(CenterOnOwner(dialog.get(), other.get()));

    POINT expected = CentredOn(WindowRect(other.get()), kDialogWidth, kDialogHeight);
    EXPECT_EQ(WindowRect(dialog.get()).left, expected.x);
    EXPECT_EQ(WindowRect(dialog.get()).top, expected.y);
}

TEST_F(CenterOnOwnerPlacement, HiddenOwnerGivesTheWorkAreaCentre)
{
    MakeOwnerAndDialog(OwnerAt(area.left + 20, area.top + 20), false);

    ASSERT_TRUE(CenterOnOwner(dialog.get()));

    POINT expected = CentredOn(WorkAreaNearest(dialog.get()), kDialogWidth, kDialogHeight);
    EXPECT_EQ(WindowRect(dialog.get()).left, expected.x);
    EXPECT_EQ(WindowRect(dialog.get()).top, expected.y);
}

TEST_F(CenterOnOwnerPlacement, MinimisedOwnerGivesTheWorkAreaCentre)
{
    MakeOwnerAndDialog(OwnerAt(area.left + 20, area.top + 20));
    ::ShowWindow(owner.get(), SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(owner.get()));

    ASSERT_TRUE(CenterOnOwner(dialog.get()));

    POINT expected = CentredOn(WorkAreaNearest(dialog.get()), kDialogWidth, kDialogHeight);
    EXPECT_EQ(WindowRect(dialog.get()).left, expected.x);
    EXPECT_EQ(WindowRect(dialog.get()).top, expected.y);
}

TEST_F(CenterOnOwnerPlacement, NoOwnerGivesTheWorkAreaCentre)
{
    dialog = CreatePopup(nullptr, CentreOfArea(), false);

    ASSERT_TRUE(CenterOnOwner(dialog.get()));

    POINT expected = CentredOn(area, kDialogWidth, kDialogHeight);
    EXPECT_EQ(WindowRect(dialog.get()).left, expected.x);
    EXPECT_EQ(WindowRect(dialog.get()).top, expected.y);
}

TEST_F(CenterOnOwnerPlacement, OwnerPastTheRightEdgePushesTheDialogBackInside)
{
    MakeOwnerAndDialog(OwnerAt(area.right - 200, area.top + 100));

    ASSERT_TRUE(CenterOnOwner(dialog.get()));

    EXPECT_EQ(WindowRect(dialog.get()).right, area.right);
    EXPECT_EQ(WindowRect(dialog.get()).top, CentredOn(WindowRect(owner.get()), kDialogWidth, kDialogHeight).y);
}

TEST_F(CenterOnOwnerPlacement, OwnerPastTheBottomEdgePushesTheDialogBackInside)
{
    MakeOwnerAndDialog(OwnerAt(area.left + 100, area.bottom - 150));

    ASSERT_TRUE(CenterOnOwner(dialog.get()));

    EXPECT_EQ(WindowRect(dialog.get()).bottom, area.bottom);
    EXPECT_EQ(WindowRect(dialog.get()).left, CentredOn(WindowRect(owner.get()), kDialogWidth, kDialogHeight).x);
}

TEST_F(CenterOnOwnerPlacement, OwnerPastTheLeftEdgePushesTheDialogBackInside)
{
    MakeOwnerAndDialog(OwnerAt(area.left - 500, area.top + 100));

    ASSERT_TRUE(CenterOnOwner(dialog.get()));

    EXPECT_EQ(WindowRect(dialog.get()).left, area.left);
}

TEST_F(CenterOnOwnerPlacement, OwnerPastTheTopEdgePushesTheDialogBackInside)
{
    MakeOwnerAndDialog(OwnerAt(area.left + 100, area.top - 350));

    ASSERT_TRUE(CenterOnOwner(dialog.get()));

    EXPECT_EQ(WindowRect(dialog.get()).top, area.top);
}

TEST_F(CenterOnOwnerPlacement, DialogLargerThanTheWorkAreaStandsAtItsLeftAndTop)
{
    MakeOwnerAndDialog(OwnerAt(area.left + 100, area.top + 100));
    ::SetWindowPos(dialog.get(), nullptr, 0, 0, Width(area) + 150, Height(area) + 120, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_GT(Width(WindowRect(dialog.get())), Width(area));

    ASSERT_TRUE(CenterOnOwner(dialog.get()));

    EXPECT_EQ(WindowRect(dialog.get()).left, area.left);
    EXPECT_EQ(WindowRect(dialog.get()).top, area.top);
}

namespace {

// Centres itself in WM_INITDIALOG, before it is shown, as the program's dialogs do.
class CCentringDialog : public CDialogImpl {
public:
    CCentringDialog() : CDialogImpl(IDD_TEST_INNER) {}

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) override
    {
        if (msg == WM_INITDIALOG) {
            CenterOnOwner(hwnd, ::GetWindow(hwnd, GW_OWNER));
            result = TRUE;
            return true;
        }
        if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
            EndDialog(LOWORD(wParam));
            return true;
        }
        return false;
    }
};

}  // namespace

TEST_F(CenterOnOwnerPlacement, ModalDialogOpensCentredOnItsOwner)
{
    owner = CreatePopup(nullptr, OwnerAt(area.left + 150, area.top + 120), true);
    RECT shownAt{};
    DialogDriver driver;
    driver.Expect(L"Inner Test", [&](DialogDriver::Dialog& d) {
        shownAt = WindowRect(d.Handle());
        d.Press(IDOK);
    });

    CCentringDialog centring;
    ASSERT_EQ(centring.DoModal(owner.get()), IDOK);
    EXPECT_TRUE(driver.AllAnswered());

    POINT expected = CentredOn(WindowRect(owner.get()), Width(shownAt), Height(shownAt));
    EXPECT_EQ(shownAt.left, expected.x);
    EXPECT_EQ(shownAt.top, expected.y);
}
