// A parent window that records the commands it receives, and test images, for
// the flat button's tests.
#pragma once

#include "framework/Handles.h"
#include "framework/GdiPlus.h"
#include "widgets/ThemedButton.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace button_testing {

// The button's rectangle on the main window: 65 x 55 pixels.
constexpr RECT kButtonRect{5, 5, 70, 60};
constexpr UINT kButtonId = 45678;
constexpr int kImageSize = 32;
// Where a 32 x 32 image lands on a 65 x 55 button, and a pixel inside it.
constexpr int kImageLeft = (65 - kImageSize) / 2;
constexpr int kImageTop = 3;
constexpr int kProbeX = kImageLeft + 20;
constexpr int kProbeY = kImageTop + 20;

struct ReceivedCommand {
    WPARAM wParam;
    LPARAM lParam;
    HWND captureAtArrival;
};

class RecordingParent {
public:
    RecordingParent();
    ~RecordingParent();
    RecordingParent(const RecordingParent&) = delete;
    RecordingParent& operator=(const RecordingParent&) = delete;

    HWND Handle() const { return window.get(); }
    const std::vector<ReceivedCommand>& Commands() const { return commands; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    UniqueWindow window;
    std::vector<ReceivedCommand> commands;
};

// A 32 x 32 bitmap of one straight-alpha ARGB colour.
std::unique_ptr<Gdiplus::Bitmap> SolidBitmap(uint32_t argb);

// What AlphaBlend makes of an opaque source colour over `under` at constant alpha 128.
COLORREF HalfOver(COLORREF over, COLORREF under);

// Colours equal within the rounding of a blend.
::testing::AssertionResult Near(COLORREF actual, COLORREF expected, int tolerance = 2);

LPARAM At(int x, int y);

}  // namespace button_testing
