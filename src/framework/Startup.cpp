#include "framework/Startup.h"

#include "framework/GdiPlus.h"

#include <ole2.h>

bool SearchSystemFolderOnlyForLibraries() noexcept
{
    // Looked up at run time: importing it would keep Quillet from starting at all
    // on a Windows 7 without the update.
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDirectories>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return true;
    ::SetDllDirectoryW(L"");
    return false;
}

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
