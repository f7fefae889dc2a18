#include "widgets/ThemedButton.h"

#include "widgets/ButtonImages.h"

#include <windowsx.h>

#include <string>

namespace {

// At 96 DPI, scaled by the button's.
constexpr int kImageTop = 3;
constexpr int kCaptionHeight = 18;
constexpr int kFocusInset = 2;
// The outline font of the stock caption font's design, which scales where the
// stock one (a bitmap font of a few sizes) cannot.
constexpr wchar_t kScaledCaptionFace[] = L"Microsoft Sans Serif";
constexpr BYTE kHotAlpha = 255;
constexpr BYTE kPlainAlpha = 128;

// A solid one-colour rectangle through an opaque empty text run, which needs
// no brush.
void FillEdge(HDC dc, const RECT& edge, COLORREF colour)
{
    COLORREF previous = ::SetBkColor(dc, colour);
    if (previous == CLR_INVALID)
        return;
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &edge, L"", 0, nullptr);
    ::SetBkColor(dc, previous);
}

}  // namespace

HWND CThemedButton::Create(HWND parent, const RECT& rect, const wchar_t* caption, UINT id)
{
    return CWindowImpl::Create(parent, rect, caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, id);
}

void CThemedButton::SetDpi(UINT newDpi)
{
    dpi = newDpi;
    if (handle)
        Invalidate(false);
}

WndClassInfo CThemedButton::GetWndClassInfo() const
{
    WndClassInfo info;
    info.className = kClassName;
    info.style = 0;
    info.background = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    info.cursor = IDC_ARROW;
    return info;
}

void CThemedButton::SetImage(Gdiplus::Bitmap* bitmap)
{
    if (!bitmap)
        return;
    normalImage.reset();
    disabledImage.reset();
    imageWidth = bitmap->GetWidth();
    imageHeight = bitmap->GetHeight();
    normalImage = CreateArgbDibSection(imageWidth, imageHeight);
    disabledImage = CreateArgbDibSection(imageWidth, imageHeight);
    RenderInto(normalImage.get(), *bitmap, imageWidth, imageHeight);
    if (auto grey = MakeGreySilhouette(*bitmap, imageWidth, imageHeight))
        RenderInto(disabledImage.get(), *grey, imageWidth, imageHeight);
    if (handle)
        Invalidate(false);
}

bool CThemedButton::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_ERASEBKGND:
        // Painting covers the whole client area; erasing first would flicker.
        result = 1;
        return true;
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        return true;
    case WM_LBUTTONDOWN:
        OnLButtonDown();
        return true;
    case WM_LBUTTONUP:
        OnLButtonUp(lParam);
        return true;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(reinterpret_cast<HWND>(lParam));
        return true;
    case WM_KEYDOWN:
        return OnKeyDown(wParam, lParam);
    case WM_KEYUP:
        return OnKeyUp(wParam);
    case WM_SETFOCUS:
        focused = true;
        Repaint();
        return true;
    case WM_KILLFOCUS:
        // A press held on the keyboard ends without a click when the focus goes.
        focused = false;
        keyPressed = false;
        Repaint();
        return true;
    case WM_UPDATEUISTATE:
        // The system keeps the state; the focus rectangle follows it.
        result = ::DefWindowProcW(handle, msg, wParam, lParam);
        Repaint();
        return true;
    default:
        return false;
    }
}

bool CThemedButton::IsInside(LPARAM lParam) const
{
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    RECT client = GetClientRect();
    return ::PtInRect(&client, point) != FALSE;
}

void CThemedButton::Repaint() const
{
    // Drawn before the handler returns, so the new look never lags behind.
    ::InvalidateRect(handle, nullptr, FALSE);
    ::UpdateWindow(handle);
}

// Capturing on entry is what lets the button see the pointer leave.
void CThemedButton::OnMouseMove(LPARAM lParam)
{
    if (IsInside(lParam)) {
        if (hot)
            return;
        ::SetCapture(handle);
        hot = true;
        Repaint();
        return;
    }
    if (pressed)
        return;  // keeps capture and look while the button is held
    if (::GetCapture() == handle)
        ::ReleaseCapture();
    hot = false;
    Repaint();
}

// Without the capture the button never sees the pointer leave: when another window
// takes it (a menu, Alt+Tab), the hover and press looks must not stay behind.
void CThemedButton::OnCaptureChanged(HWND newCapture)
{
    if (newCapture == handle || (!hot && !pressed))
        return;
    hot = false;
    pressed = false;
    Repaint();
}

void CThemedButton::OnLButtonDown()
{
    pressed = true;
    Repaint();
}

void CThemedButton::OnLButtonUp(LPARAM lParam)
{
    // A press that came while the button was not hot (the pointer entered with the
    // button already down) must not stay: the next hover would draw it sunken.
    if (!hot) {
        if (pressed) {
            pressed = false;
            Repaint();
        }
        return;
    }
    if (IsInside(lParam))
        PostClick();
    if (::GetCapture() == handle)
        ::ReleaseCapture();
    hot = false;
    pressed = false;
    Repaint();
}

// As a push button does: Space presses on the way down and clicks on the way up,
// Enter clicks at once.
bool CThemedButton::OnKeyDown(WPARAM key, LPARAM flags)
{
    const bool repeated = (flags & (1 << 30)) != 0;
    if (key == VK_SPACE) {
        if (!repeated && !keyPressed) {
            keyPressed = true;
            Repaint();
        }
        return true;
    }
    if (key == VK_RETURN) {
        if (!repeated)
            PostClick();
        return true;
    }
    return false;
}

bool CThemedButton::OnKeyUp(WPARAM key)
{
    if (key != VK_SPACE)
        return false;
    if (keyPressed) {
        keyPressed = false;
        Repaint();
        PostClick();
    }
    return true;
}

// Posted, so the plain look is back before the parent reacts (often with a
// modal dialog).
void CThemedButton::PostClick() const
{
    auto id = static_cast<WORD>(::GetWindowLongW(handle, GWL_ID));
    ::PostMessageW(GetParent(), WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(handle));
}

void CThemedButton::OnPaint()
{
    UniqueBitmap buffer;
    ScopedPaint paint(handle);
    if (!paint.Dc())
        return;
    RECT client = GetClientRect();
    const int width = client.right;
    const int height = client.bottom;

    UniqueMemoryDc memory(::CreateCompatibleDC(nullptr));
    buffer.reset(::CreateCompatibleBitmap(paint.Dc(), width, height));
    if (!memory || !buffer)
        return;
    ScopedSelectObject selectBuffer(memory.get(), buffer.get());

    ::FillRect(memory.get(), &client, ::GetSysColorBrush(COLOR_BTNFACE));
    if (hot || keyPressed)
        DrawFrame(memory.get(), width, height);
    if (normalImage)
        DrawImage(memory.get(), width);
    DrawCaption(memory.get(), width, height);
    DrawFocus(memory.get(), client);
    ::BitBlt(paint.Dc(), 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

void CThemedButton::DrawFrame(HDC dc, int width, int height) const
{
    const bool sunken = pressed || keyPressed;
    COLORREF light = ::GetSysColor(sunken ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT);
    COLORREF dark = ::GetSysColor(sunken ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW);
    // One pixel at 96 DPI.
    const int edge = ScaleToDpi(1, dpi);
    FillEdge(dc, RECT{0, 0, width - edge, edge}, light);
    FillEdge(dc, RECT{0, 0, edge, height - edge}, light);
    FillEdge(dc, RECT{width - edge, 0, width, height}, dark);
    FillEdge(dc, RECT{0, height - edge, width, height}, dark);
}

void CThemedButton::DrawImage(HDC dc, int width) const
{
    HBITMAP image = IsWindowEnabled() ? normalImage.get() : disabledImage.get();
    UniqueMemoryDc source(::CreateCompatibleDC(dc));
    if (!source || !image)
        return;
    ScopedSelectObject select(source.get(), image);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, hot || keyPressed ? kHotAlpha : kPlainAlpha, AC_SRC_ALPHA};
    const int imageW = static_cast<int>(imageWidth);
    const int imageH = static_cast<int>(imageHeight);
    const int top = ScaleToDpi(kImageTop, dpi);
    // gdi32's own export: msimg32.dll, AlphaBlend's home, is no known DLL.
    ::GdiAlphaBlend(dc, (width - imageW) / 2, top, imageW, imageH, source.get(), 0, 0, imageW, imageH, blend);
}

void CThemedButton::DrawCaption(HDC dc, int width, int height)
{
    ::SetTextColor(dc, ::GetSysColor(IsWindowEnabled() ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    ScopedSelectObject font(dc, CaptionFont());
    ::SetBkMode(dc, TRANSPARENT);
    std::wstring caption = GetWindowTextW();
    RECT band{0, height - ScaleToDpi(kCaptionHeight, dpi), width, height};
    ::DrawTextW(dc, caption.c_str(), -1, &band, DT_CENTER);
}

// The stock font at 96 DPI; at any other, one of its design and height made for it.
HFONT CThemedButton::CaptionFont()
{
    const auto stock = static_cast<HFONT>(::GetStockObject(ANSI_VAR_FONT));
    if (dpi == kBaseDpi)
        return stock;
    if (scaledFontDpi != dpi) {
        LOGFONTW font = {};
        if (!::GetObjectW(stock, sizeof(font), &font))
            return stock;
        font.lfHeight = ScaleToDpi(font.lfHeight, dpi);
        font.lfWidth = 0;
        ::lstrcpynW(font.lfFaceName, kScaledCaptionFace, LF_FACESIZE);
        scaledFont.reset(::CreateFontIndirectW(&font));
        scaledFontDpi = dpi;
    }
    return scaledFont ? scaledFont.get() : stock;
}

void CThemedButton::DrawFocus(HDC dc, const RECT& client) const
{
    if (!focused || (SendMessageW(WM_QUERYUISTATE) & UISF_HIDEFOCUS) != 0)
        return;
    RECT focus = client;
    const int inset = ScaleToDpi(kFocusInset, dpi);
    ::InflateRect(&focus, -inset, -inset);
    // DrawFocusRect inverts: the text colour must not leak into it.
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::SetBkColor(dc, RGB(255, 255, 255));
    ::DrawFocusRect(dc, &focus);
}
