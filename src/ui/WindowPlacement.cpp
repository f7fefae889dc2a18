#include "ui/WindowPlacement.h"

#include "framework/Dpi.h"
#include "framework/WorkArea.h"

#include <algorithm>

namespace {

// How much of the caption must stay on screen: enough to grab and drag it.
constexpr int kGrabWidth = 100;
constexpr int kGrabHeight = 20;

int Width(const RECT& rect)
{
    return rect.right - rect.left;
}
int Height(const RECT& rect)
{
    return rect.bottom - rect.top;
}

}  // namespace

bool CaptionReachable(const RECT& outer, const RECT& workArea)
{
    RECT caption = outer;
    caption.bottom =
        std::min<LONG>(outer.bottom, outer.top + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME));
    RECT visible;
    if (!IntersectRect(&visible, &caption, &workArea))
        return false;
    // The caption's top edge must be on the area, or the window cannot be dragged down.
    return outer.top >= workArea.top && Width(visible) >= std::min(kGrabWidth, Width(outer)) &&
           Height(visible) >= std::min(kGrabHeight, Height(caption));
}

RECT ReachablePlacement(const RECT& outer, SIZE minimum)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    HMONITOR monitor = MonitorFromRect(&outer, MONITOR_DEFAULTTONEAREST);
    if (monitor == nullptr || !GetMonitorInfoW(monitor, &info))
        return outer;
    const RECT& work = info.rcWork;
    // A size stored on a larger monitor, or the default at a large scale on a small one.
    const LONG width = std::min<LONG>(Width(outer), std::max<LONG>(Width(work), minimum.cx));
    const LONG height = std::min<LONG>(Height(outer), std::max<LONG>(Height(work), minimum.cy));
    if (width == Width(outer) && height == Height(outer) && CaptionReachable(outer, work))
        return outer;
    return MoveOntoWorkArea(RECT{outer.left, outer.top, outer.left + width, outer.top + height}, work);
}

RememberedGeometry GeometryToRemember(HWND window, UINT dpi)
{
    RememberedGeometry geometry = {};
    RECT client = {};
    GetWindowRect(window, &geometry.outer);
    GetClientRect(window, &client);
    geometry.client = SIZE{client.right, client.bottom};
    if (!IsIconic(window) && !IsZoomed(window))
        return geometry;

    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(window, &placement))
        return geometry;

    // The restored rectangle is in workspace coordinates: relative to the work area of
    // its monitor rather than to the screen.
    RECT outer = placement.rcNormalPosition;
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromRect(&outer, MONITOR_DEFAULTTONEAREST), &info))
        OffsetRect(&outer, info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top);

    const DWORD style =
        static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & ~static_cast<DWORD>(WS_MINIMIZE | WS_MAXIMIZE);
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
    // The main window has no menu.
    const RECT frame = AdjustWindowRectForDpi(RECT{0, 0, 0, 0}, style, exStyle, dpi);

    geometry.outer = outer;
    geometry.client = SIZE{Width(outer) - Width(frame), Height(outer) - Height(frame)};
    return geometry;
}
