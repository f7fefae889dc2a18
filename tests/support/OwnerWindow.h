#pragma once

// A visible, plain top-level window at `rect` to own the dialogs and controls
// under test; destroyed with the object.

#include "framework/Handles.h"

#include <gtest/gtest.h>
#include <windows.h>

class OwnerWindow {
public:
    explicit OwnerWindow(const RECT& rect)
        : window(::CreateWindowExW(0, L"STATIC", L"Quillet test window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, rect.left,
                                   rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, nullptr,
                                   nullptr))
    {
        EXPECT_TRUE(window);
    }

    HWND Handle() const noexcept { return window.get(); }
    operator HWND() const noexcept { return window.get(); }

private:
    UniqueWindow window;
};
