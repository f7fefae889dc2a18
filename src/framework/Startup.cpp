#include "framework/Startup.h"

#include "framework/GdiPlus.h"

#include <ole2.h>

ScopedOle::ScopedOle() noexcept : started(SUCCEEDED(::OleInitialize(nullptr))) {}

ScopedOle::~ScopedOle()
{
    if (started)
        ::OleUninitialize();
}

ScopedGdiPlus::ScopedGdiPlus() noexcept
{
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        token = 0;
}

ScopedGdiPlus::~ScopedGdiPlus()
{
    if (token != 0)
        Gdiplus::GdiplusShutdown(token);
}
