// The client area of a window as it stands on screen, read back pixel by pixel.
#pragma once

#include "framework/Handles.h"

#include <windows.h>

#include <cstdint>
#include <vector>

class WindowPixels {
public:
    explicit WindowPixels(HWND window)
    {
        RECT client{};
        ::GetClientRect(window, &client);
        width = client.right;
        height = client.bottom;

        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down: row y is line y
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        UniqueBitmap copy(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        UniqueMemoryDc memory(::CreateCompatibleDC(nullptr));
        if (!copy || !memory || !bits)
            return;
        {
            ScopedSelectObject select(memory.get(), copy.get());
            HDC windowDc = ::GetDC(window);
            ::BitBlt(memory.get(), 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
            ::ReleaseDC(window, windowDc);
            ::GdiFlush();
        }
        const auto* first = static_cast<const uint32_t*>(bits);
        pixels.assign(first, first + static_cast<size_t>(width) * height);
    }

    int Width() const { return width; }
    int Height() const { return height; }

    // As a COLORREF, to compare with GetSysColor.
    COLORREF At(int x, int y) const
    {
        uint32_t pixel = pixels.at(static_cast<size_t>(y) * width + x);
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }

    // How many pixels of the band [top, bottom) have exactly this colour.
    int CountInRows(int top, int bottom, COLORREF colour) const
    {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < width; ++x)
                count += At(x, y) == colour ? 1 : 0;
        return count;
    }

private:
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};
