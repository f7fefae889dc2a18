#pragma once

#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "framework/Window.h"
#include "framework/GdiPlus.h"

// The toolbar's flat button: a 32-bit alpha image above a one-line caption.
// The image is half transparent until the pointer is over the button, which
// then shows a raised frame, sunken while the left button is held. A click
// (press and release inside) posts WM_COMMAND with the control id to the parent.
// It is a tab stop: Space (on release) or Enter presses it, and while it has the
// focus it shows a focus rectangle, unless the window hides keyboard cues.
class CThemedButton : public CWindowImpl {
public:
    // The main window's suffix: one program's classes, apart from anyone else's.
    static constexpr const wchar_t* kClassName = L"Quillet.FlatButton.ID5224875";

    CThemedButton() = default;

    // A visible tab-stop child with the caption as its text and `id` as control id.
    HWND Create(HWND parent, const RECT& rect, const wchar_t* caption, UINT id);

    // The display scale the button draws its caption band, image place and font
    // for: the parent's DPI, which the parent passes on when it changes.
    void SetDpi(UINT dpi);
    UINT Dpi() const noexcept { return dpi; }

    // Copies the bitmap into the button's own normal and grey images; the
    // caller keeps the bitmap. Null keeps the current images.
    void SetImage(Gdiplus::Bitmap* bitmap);

    bool IsHot() const noexcept { return hot; }
    bool IsPressed() const noexcept { return pressed; }
    bool IsKeyPressed() const noexcept { return keyPressed; }
    HBITMAP NormalImage() const noexcept { return normalImage.get(); }
    HBITMAP DisabledImage() const noexcept { return disabledImage.get(); }
    UINT ImageWidth() const noexcept { return imageWidth; }
    UINT ImageHeight() const noexcept { return imageHeight; }

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    WndClassInfo GetWndClassInfo() const override;

private:
    void OnPaint();
    void OnMouseMove(LPARAM lParam);
    void OnLButtonDown();
    void OnCaptureChanged(HWND newCapture);
    void OnLButtonUp(LPARAM lParam);
    bool OnKeyDown(WPARAM key, LPARAM flags);
    bool OnKeyUp(WPARAM key);
    void PostClick() const;

    void DrawFrame(HDC dc, int width, int height) const;
    void DrawImage(HDC dc, int width) const;
    void DrawCaption(HDC dc, int width, int height);
    void DrawFocus(HDC dc, const RECT& client) const;
    HFONT CaptionFont();
    bool IsInside(LPARAM lParam) const;
    void Repaint() const;

    bool hot = false;
    bool pressed = false;
    bool keyPressed = false;  // Space is held on the focused button
    bool focused = false;     // told by WM_SETFOCUS and WM_KILLFOCUS, which GetFocus lags behind
    UINT dpi = kBaseDpi;
    UniqueFont scaledFont;  // the caption's font at any DPI but 96
    UINT scaledFontDpi = 0;
    UniqueBitmap normalImage;
    UniqueBitmap disabledImage;
    UINT imageWidth = 0;
    UINT imageHeight = 0;
};
