// Keeps the main window visible and usable whatever geometry was stored.
#pragma once

#include <windows.h>

// At 96 DPI; the window scales them by its own.
constexpr int kMinimumClientWidth = 600;
constexpr int kMinimumClientHeight = 390;

// True when enough of the window's caption lies on `workArea` for the user to grab it.
bool CaptionReachable(const RECT& outer, const RECT& workArea);

// The outer rectangle the window should take: `outer` itself when it fits the work
// area of the nearest monitor and its caption is reachable there; else shrunk to
// the work area (never below `minimum`, the outer size of the smallest client) and
// moved onto it.
RECT ReachablePlacement(const RECT& outer, SIZE minimum);

// The outer rectangle and client size to remember for the window, taken from its
// restored placement while it is minimised or maximised (whose frame is measured
// at `dpi`, the window's).
struct RememberedGeometry {
    RECT outer;
    SIZE client;
};
RememberedGeometry GeometryToRemember(HWND window, UINT dpi);
