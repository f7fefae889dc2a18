#pragma once

#include "framework/Handles.h"
#include "framework/Window.h"
#include "framework/GdiPlus.h"

// The toolbar's flat button: a 32-bit alpha image above a one-line caption.
// The image is half transparent until the pointer is over the button, which
// then shows a raised frame, sunken while the left button is held. A click
// (press and release inside) posts WM_COMMAND with the control id to the parent.
class CThemedButton : public CWindowImpl {
public:
    // The main window's suffix: one program's classes, apart from anyone else's.
    static constexpr const wchar_t* kClassName = L"Quillet.FlatButton.ID5224875";

    CThemedButton() = default;

    // A visible child with the caption as its text and `id` as control id.
    HWND Create(HWND parent, const RECT& rect, const wchar_t* caption, UINT id);

    // Copies the bitmap into the button's own normal and grey images; the
    // caller keeps the bitmap. Null keeps the current images.
    void SetImage(Gdiplus::Bitmap* bitmap);

    bool IsHot() const noexcept { return hot; }
    bool IsPressed() const noexcept { return pressed; }
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

    void DrawFrame(HDC dc, int width, int height) const;
    void DrawImage(HDC dc, int width) const;
    void DrawCaption(HDC dc, int width, int height) const;
    bool IsInside(LPARAM lParam) const;
    void Repaint() const;

    bool hot = false;
    bool pressed = false;
    UniqueBitmap normalImage;
    UniqueBitmap disabledImage;
    UINT imageWidth = 0;
    UINT imageHeight = 0;
};
