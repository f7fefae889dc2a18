#include "framework/Dpi.h"

#include <initializer_list>

namespace {

// What Windows 10 1607 and 8.1 add, looked up once: older systems start without them.
struct DpiCalls {
    UINT(WINAPI* dpiForWindow)(HWND) = nullptr;
    UINT(WINAPI* dpiForSystem)() = nullptr;
    int(WINAPI* systemMetricsForDpi)(int, UINT) = nullptr;
    BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
    BOOL(WINAPI* systemParametersInfoForDpi)(UINT, UINT, void*, UINT, UINT) = nullptr;
    BOOL(WINAPI* enableNonClientDpiScaling)(HWND) = nullptr;
    // shcore.dll, Windows 8.1: MDT_EFFECTIVE_DPI is 0.
    HRESULT(WINAPI* dpiForMonitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
};

template <typename Function> void Find(HMODULE module, const char* name, Function& function)
{
    if (module)
        function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

const DpiCalls& Calls()
{
    static const DpiCalls calls = [] {
        DpiCalls found;
        const HMODULE user = ::GetModuleHandleW(L"user32.dll");
        Find(user, "GetDpiForWindow", found.dpiForWindow);
        Find(user, "GetDpiForSystem", found.dpiForSystem);
        Find(user, "GetSystemMetricsForDpi", found.systemMetricsForDpi);
        Find(user, "AdjustWindowRectExForDpi", found.adjustWindowRectExForDpi);
        Find(user, "SystemParametersInfoForDpi", found.systemParametersInfoForDpi);
        Find(user, "EnableNonClientDpiScaling", found.enableNonClientDpiScaling);
        if (!found.dpiForWindow) {
            // Only from the system folder; stays loaded for the process.
            Find(::LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), "GetDpiForMonitor",
                 found.dpiForMonitor);
        }
        return found;
    }();
    return calls;
}

LONG ScaleFontHeight(LONG height, UINT dpi)
{
    return ::MulDiv(height, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

}  // namespace

int ScaleToDpi(int value, UINT dpi) noexcept
{
    return ::MulDiv(value, static_cast<int>(dpi), static_cast<int>(kBaseDpi));
}

int ScaleFromDpi(int value, UINT dpi) noexcept
{
    return dpi == 0 ? value : ::MulDiv(value, static_cast<int>(kBaseDpi), static_cast<int>(dpi));
}

RECT ScaleToDpi(const RECT& rect, UINT dpi) noexcept
{
    return RECT{ScaleToDpi(rect.left, dpi), ScaleToDpi(rect.top, dpi), ScaleToDpi(rect.right, dpi),
                ScaleToDpi(rect.bottom, dpi)};
}

UINT SystemDpi() noexcept
{
    if (Calls().dpiForSystem)
        return Calls().dpiForSystem();
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

UINT WindowDpi(HWND window) noexcept
{
    const DpiCalls& calls = Calls();
    if (calls.dpiForWindow) {
        const UINT dpi = window ? calls.dpiForWindow(window) : 0;
        return dpi != 0 ? dpi : SystemDpi();
    }
    UINT x = 0;
    UINT y = 0;
    if (calls.dpiForMonitor && window &&
        SUCCEEDED(calls.dpiForMonitor(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), 0, &x, &y)) && x != 0)
        return x;
    return SystemDpi();
}

int SystemMetricForDpi(int index, UINT dpi) noexcept
{
    if (Calls().systemMetricsForDpi)
        return Calls().systemMetricsForDpi(index, dpi);
    return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

RECT AdjustWindowRectForDpi(const RECT& rect, DWORD style, DWORD exStyle, UINT dpi) noexcept
{
    RECT outer = rect;
    // Where the call is missing, frames keep the system's DPI whatever the window's.
    if (Calls().adjustWindowRectExForDpi)
        Calls().adjustWindowRectExForDpi(&outer, style, FALSE, exStyle, dpi);
    else
        ::AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    return outer;
}

bool NonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, UINT dpi) noexcept
{
    metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (Calls().systemParametersInfoForDpi)
        return Calls().systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi) != FALSE;
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return false;
    for (LOGFONTW* font : {&metrics.lfCaptionFont, &metrics.lfSmCaptionFont, &metrics.lfMenuFont, &metrics.lfStatusFont,
                           &metrics.lfMessageFont})
        font->lfHeight = ScaleFontHeight(font->lfHeight, dpi);
    return true;
}

bool IconTitleFontForDpi(LOGFONTW& font, UINT dpi) noexcept
{
    font = {};
    if (Calls().systemParametersInfoForDpi)
        return Calls().systemParametersInfoForDpi(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0, dpi) != FALSE;
    if (!::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0))
        return false;
    font.lfHeight = ScaleFontHeight(font.lfHeight, dpi);
    return true;
}

void EnableNonClientDpiScalingFor(HWND window) noexcept
{
    if (Calls().enableNonClientDpiScaling)
        Calls().enableNonClientDpiScaling(window);
}
