#pragma once

// Display scale. Every size the program names in pixels is a size at 96 DPI (100 %)
// and is scaled by the DPI of the window it is used in. The calls that give a
// window's or a monitor's DPI came with Windows 8.1 and 10; each is looked up at run
// time, with a fallback that is right where it is missing (there every window has
// the system's DPI, or the monitor's on 8.1).

#include <windows.h>

constexpr UINT kBaseDpi = 96;

// `value` at 96 DPI as pixels at `dpi`, rounded to the nearest pixel.
int ScaleToDpi(int value, UINT dpi) noexcept;
// Pixels at `dpi` as the size at 96 DPI, rounded to the nearest pixel.
int ScaleFromDpi(int value, UINT dpi) noexcept;
// Each edge scaled.
RECT ScaleToDpi(const RECT& rect, UINT dpi) noexcept;

// The DPI the system started the session with: what the common controls' fonts and
// the stock objects are made for.
UINT SystemDpi() noexcept;
// The DPI of the monitor the window is on, as the system scales for it.
UINT WindowDpi(HWND window) noexcept;

int SystemMetricForDpi(int index, UINT dpi) noexcept;
// The outer rectangle of a window whose client rectangle is `rect`.
RECT AdjustWindowRectForDpi(const RECT& rect, DWORD style, DWORD exStyle, UINT dpi) noexcept;
// The caption, menu, status and message fonts at `dpi`.
bool NonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, UINT dpi) noexcept;
// The font of icon titles, which list views take for their rows, at `dpi`.
bool IconTitleFontForDpi(LOGFONTW& font, UINT dpi) noexcept;

// Asks for the caption and frame to follow the window's DPI, where the system does
// not do it by itself (Windows 10 1607 without per-monitor v2). Call on WM_NCCREATE.
void EnableNonClientDpiScalingFor(HWND window) noexcept;
