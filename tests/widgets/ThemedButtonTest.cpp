// The flat button as a user meets it: its look at rest, on hover and while
// held, and the command a click posts. The mouse is driven by sending the
// button its mouse messages; the look is read back from the screen.

#include "ButtonTesting.h"
#include "DialogDriver.h"
#include "WindowPixels.h"

#include "widgets/ThemedButton.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

using namespace button_testing;

constexpr uint32_t kOpaqueRed = 0xFFFF0000u;

// A window whose keyboard cues are hidden, as Windows has it until the keyboard is used.
LRESULT CALLBACK HidingFocusCues(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (msg == WM_QUERYUISTATE)
        return UISF_HIDEFOCUS | UISF_HIDEACCEL;
    return ::DefSubclassProc(window, msg, wParam, lParam);
}
constexpr COLORREF kRed = RGB(255, 0, 0);

class FlatButton : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(parent.Handle(), nullptr);
        ASSERT_NE(button.Create(parent.Handle(), kButtonRect, L"Open", kButtonId), nullptr);
        button.SetImage(SolidBitmap(kOpaqueRed).get());
        ::UpdateWindow(parent.Handle());
    }

    void Send(UINT msg, int x, int y) { ::SendMessageW(button, msg, msg == WM_MOUSEMOVE ? 0 : MK_LBUTTON, At(x, y)); }
    WindowPixels Look() { return WindowPixels(button); }

    static COLORREF Face() { return ::GetSysColor(COLOR_BTNFACE); }
    static COLORREF Highlight() { return ::GetSysColor(COLOR_BTNHIGHLIGHT); }
    static COLORREF Shadow() { return ::GetSysColor(COLOR_BTNSHADOW); }

    // The frame's four edges: top and left in `light`, right and bottom in `dark`.
    static void ExpectFrame(const WindowPixels& look, COLORREF light, COLORREF dark)
    {
        const int right = look.Width() - 1;
        const int bottom = look.Height() - 1;
        EXPECT_EQ(look.At(0, 0), light);
        EXPECT_EQ(look.At(right - 1, 0), light);
        EXPECT_EQ(look.At(0, bottom - 1), light);
        EXPECT_EQ(look.At(right, 0), dark);
        EXPECT_EQ(look.At(right, bottom), dark);
        EXPECT_EQ(look.At(0, bottom), dark);
        EXPECT_EQ(look.At(1, 1), Face());
    }

    static void ExpectPlain(const WindowPixels& look)
    {
        EXPECT_EQ(look.At(0, 0), Face());
        EXPECT_EQ(look.At(look.Width() - 1, look.Height() - 1), Face());
        EXPECT_TRUE(Near(look.At(kProbeX, kProbeY), HalfOver(kRed, Face())));
    }

    // Commands reach the parent only once its queue is pumped.
    void DeliverPosted() { PumpMessagesFor(50); }

    RecordingParent parent;
    CThemedButton button;
};

TEST_F(FlatButton, IsAVisibleChildOfItsOwnClassWithTheCaptionAndId)
{
    wchar_t className[64] = {};
    ::GetClassNameW(button, className, 64);
    EXPECT_STREQ(className, L"Quillet.FlatButton.ID5224875");
    EXPECT_EQ(static_cast<DWORD>(button.GetStyle()), static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_TABSTOP));
    EXPECT_EQ(button.GetExStyle(), 0);
    EXPECT_EQ(button.GetDlgCtrlID(), static_cast<int>(kButtonId));
    EXPECT_EQ(button.GetWindowTextW(), L"Open");
    EXPECT_EQ(button.GetParent(), parent.Handle());

    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), className, &info));
    EXPECT_EQ(info.style, 0u);
    EXPECT_EQ(info.hbrBackground, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
    EXPECT_EQ(info.hCursor, ::LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(info.cbClsExtra, 0);
    EXPECT_EQ(info.cbWndExtra, 0);
    EXPECT_EQ(::SendMessageW(button, WM_ERASEBKGND, 0, 0), 1);
}

TEST_F(FlatButton, AtRestShowsNoFrameAHalfTransparentImageAndTheCaption)
{
    // The frame colours must differ from the face for the look checks to mean anything.
    ASSERT_NE(Highlight(), Face());
    ASSERT_NE(Shadow(), Face());

    WindowPixels look = Look();
    ASSERT_EQ(look.Width(), 65);
    ASSERT_EQ(look.Height(), 55);
    ExpectPlain(look);
    // The image sits 3 pixels down, centred: the pixels just outside it are face.
    EXPECT_EQ(look.At(kImageLeft - 1, kProbeY), Face());
    EXPECT_EQ(look.At(kImageLeft + kImageSize, kProbeY), Face());
    EXPECT_EQ(look.At(kProbeX, kImageTop - 1), Face());
    EXPECT_FALSE(Near(look.At(kImageLeft, kImageTop), Face(), 10));
    // The caption is drawn in the bottom 18 pixels only.
    EXPECT_GT(look.CountInRows(look.Height() - 18, look.Height(), ::GetSysColor(COLOR_BTNTEXT)), 0);
    EXPECT_EQ(look.CountInRows(kImageTop + kImageSize, look.Height() - 18, ::GetSysColor(COLOR_BTNTEXT)), 0);
}

TEST_F(FlatButton, HoverRaisesTheFrameAndShowsTheImageOpaqueUntilThePointerLeaves)
{
    Send(WM_MOUSEMOVE, 30, 20);
    EXPECT_TRUE(button.IsHot());
    EXPECT_EQ(::GetCapture(), button.handle);
    WindowPixels hovered = Look();
    ExpectFrame(hovered, Highlight(), Shadow());
    EXPECT_EQ(hovered.At(kProbeX, kProbeY), kRed);

    // Moving on inside changes nothing.
    Send(WM_MOUSEMOVE, 64, 54);
    EXPECT_TRUE(button.IsHot());
    EXPECT_EQ(::GetCapture(), button.handle);

    // The right and bottom edges are outside.
    Send(WM_MOUSEMOVE, 65, 54);
    EXPECT_FALSE(button.IsHot());
    EXPECT_EQ(::GetCapture(), nullptr);
    ExpectPlain(Look());
}

TEST_F(FlatButton, LosingTheCaptureToAnotherWindowDropsTheHoverAndPressLooks)
{
    Send(WM_MOUSEMOVE, 30, 20);
    Send(WM_LBUTTONDOWN, 30, 20);
    ASSERT_TRUE(button.IsPressed());
    ::SetCapture(::GetParent(button.handle));
    EXPECT_FALSE(button.IsHot());
    EXPECT_FALSE(button.IsPressed());
    ExpectPlain(Look());
    ::ReleaseCapture();
}

TEST_F(FlatButton, PressDraggedOutAndReleasedOutsidePostsNothing)
{
    Send(WM_MOUSEMOVE, 30, 20);
    Send(WM_LBUTTONDOWN, 30, 20);
    EXPECT_TRUE(button.IsPressed());
    WindowPixels held = Look();
    ExpectFrame(held, Shadow(), Highlight());
    // The image stays where it was, fully opaque.
    EXPECT_EQ(held.At(kProbeX, kProbeY), kRed);
    EXPECT_EQ(held.At(kImageLeft - 1, kProbeY), Face());

    // Outside while held: capture and sunken look stay.
    Send(WM_MOUSEMOVE, -20, 90);
    EXPECT_TRUE(button.IsHot());
    EXPECT_TRUE(button.IsPressed());
    EXPECT_EQ(::GetCapture(), button.handle);
    ExpectFrame(Look(), Shadow(), Highlight());

    Send(WM_LBUTTONUP, -20, 90);
    EXPECT_FALSE(button.IsHot());
    EXPECT_FALSE(button.IsPressed());
    EXPECT_EQ(::GetCapture(), nullptr);
    ExpectPlain(Look());
    DeliverPosted();
    EXPECT_TRUE(parent.Commands().empty());
}

TEST_F(FlatButton, ClickInsidePostsExactlyOneCommandAfterThePlainLookReturned)
{
    // A press and release while the button is not hot post nothing and leave
    // nothing behind: the next hover is raised, not sunken.
    Send(WM_LBUTTONDOWN, 30, 20);
    Send(WM_LBUTTONUP, 30, 20);
    EXPECT_FALSE(button.IsPressed());
    DeliverPosted();
    EXPECT_TRUE(parent.Commands().empty());

    Send(WM_MOUSEMOVE, 30, 20);
    ExpectFrame(Look(), Highlight(), Shadow());
    Send(WM_LBUTTONDOWN, 30, 20);
    Send(WM_LBUTTONUP, 31, 21);
    // Posted, not sent: nothing has arrived yet, and the look is already plain.
    EXPECT_TRUE(parent.Commands().empty());
    EXPECT_FALSE(button.IsHot());
    EXPECT_FALSE(button.IsPressed());
    ExpectPlain(Look());

    DeliverPosted();
    ASSERT_EQ(parent.Commands().size(), 1u);
    const ReceivedCommand& command = parent.Commands().front();
    EXPECT_EQ(command.wParam, MAKEWPARAM(kButtonId, 0));
    EXPECT_EQ(command.lParam, reinterpret_cast<LPARAM>(button.handle));
    EXPECT_EQ(command.captureAtArrival, nullptr);
}

// From the keyboard: a focus rectangle while keyboard cues show, Space presses on
// the way down and clicks on the way up, Enter clicks, and a press the focus leaves
// clicks nothing.
TEST_F(FlatButton, TheKeyboardFocusesAndPressesIt)
{
    auto focusPixels = [this] {
        const WindowPixels look = Look();
        return look.Width() - look.CountInRows(2, 3, Face());
    };
    ::SetFocus(button);
    ASSERT_EQ(::GetFocus(), button.handle);
    EXPECT_GT(focusPixels(), 10);
    // Wine keeps no keyboard-cue state: the window answers for it here.
    ASSERT_TRUE(::SetWindowSubclass(button, &HidingFocusCues, 0, 0));
    ::SendMessageW(button, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    EXPECT_EQ(focusPixels(), 0);
    ::RemoveWindowSubclass(button, &HidingFocusCues, 0);
    ::SendMessageW(button, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    EXPECT_GT(focusPixels(), 10);

    ::SendMessageW(button, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(button.IsKeyPressed());
    const WindowPixels held = Look();
    EXPECT_EQ(held.At(0, 0), Shadow());
    EXPECT_TRUE(Near(held.At(kProbeX, kProbeY), kRed));
    ::SendMessageW(button, WM_KEYDOWN, VK_SPACE, 1 << 30);  // the key repeats
    ::SendMessageW(button, WM_KEYUP, VK_SPACE, 0);
    EXPECT_FALSE(button.IsKeyPressed());
    ::SendMessageW(button, WM_KEYDOWN, VK_RETURN, 0);
    DeliverPosted();
    ASSERT_EQ(parent.Commands().size(), 2u);
    EXPECT_EQ(parent.Commands()[1].wParam, MAKEWPARAM(kButtonId, 0));

    ::SendMessageW(button, WM_KEYDOWN, VK_SPACE, 0);
    ::SetFocus(parent.Handle());
    ::SendMessageW(button, WM_KEYUP, VK_SPACE, 0);
    EXPECT_FALSE(button.IsKeyPressed());
    EXPECT_EQ(focusPixels(), 0);
    DeliverPosted();
    EXPECT_EQ(parent.Commands().size(), 2u);
}

TEST_F(FlatButton, ADisabledButtonDrawsTheGreyImageAndGreyCaption)
{
    // Pure red is grey 54 in the disabled image.
    constexpr COLORREF kRedAsGrey = RGB(54, 54, 54);
    ASSERT_NE(::GetSysColor(COLOR_GRAYTEXT), ::GetSysColor(COLOR_BTNTEXT));

    button.EnableWindow(false);
    button.Invalidate(false);
    button.UpdateWindow();
    WindowPixels look = Look();
    EXPECT_TRUE(Near(look.At(kProbeX, kProbeY), HalfOver(kRedAsGrey, Face())));
    const int band = look.Height() - 18;
    EXPECT_GT(look.CountInRows(band, look.Height(), ::GetSysColor(COLOR_GRAYTEXT)), 0);
    EXPECT_EQ(look.CountInRows(band, look.Height(), ::GetSysColor(COLOR_BTNTEXT)), 0);
}

TEST(FlatButtonWithoutImage, PaintsOnlyTheFaceAndTheCaption)
{
    RecordingParent parent;
    CThemedButton button;
    ASSERT_NE(button.Create(parent.Handle(), kButtonRect, L"About", kButtonId), nullptr);
    button.SetImage(nullptr);
    EXPECT_EQ(button.NormalImage(), nullptr);
    ::UpdateWindow(parent.Handle());

    WindowPixels look(button);
    const int band = look.Height() - 18;
    EXPECT_EQ(look.CountInRows(0, band, ::GetSysColor(COLOR_BTNFACE)), look.Width() * band);
    EXPECT_GT(look.CountInRows(band, look.Height(), ::GetSysColor(COLOR_BTNTEXT)), 0);
}

}  // namespace
