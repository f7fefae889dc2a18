#include "widgets/CenterOnOwner.h"

bool CenterOnOwner(HWND dialog, HWND centre)
{
    if (!centre)
        centre = ::GetWindow(dialog, GW_OWNER);

    RECT dialogRect{};
    ::GetWindowRect(dialog, &dialogRect);
    const int width = dialogRect.right - dialogRect.left;
    const int height = dialogRect.bottom - dialogRect.top;

    if (centre) {
        LONG style = ::GetWindowLongW(centre, GWL_STYLE);
        if (!(style & WS_VISIBLE) || (style & WS_MINIMIZE))
            centre = nullptr;
    }

    HMONITOR monitor = ::MonitorFromWindow(centre ? centre : dialog, MONITOR_DEFAULTTONEAREST);
    if (!monitor)
        return false;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(monitor, &info))
        return false;

    const RECT area = info.rcWork;
    RECT centreRect = area;
    if (centre)
        ::GetWindowRect(centre, &centreRect);

    int x = (centreRect.left + centreRect.right) / 2 - width / 2;
    int y = (centreRect.top + centreRect.bottom) / 2 - height / 2;

    // Right and bottom first, so that a dialog larger than the area ends up
    // at its left and top edges.
    if (x + width > area.right)
        x = area.right - width;
    if (x < area.left)
        x = area.left;
    if (y + height > area.bottom)
        y = area.bottom - height;
    if (y < area.top)
        y = area.top;

    return ::SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}
