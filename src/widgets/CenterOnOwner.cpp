#include "widgets/CenterOnOwner.h"

#include "framework/WorkArea.h"

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

    const int x = (centreRect.left + centreRect.right) / 2 - width / 2;
    const int y = (centreRect.top + centreRect.bottom) / 2 - height / 2;
    const RECT placed = MoveOntoWorkArea(RECT{x, y, x + width, y + height}, area);
    return ::SetWindowPos(dialog, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) !=
           FALSE;
}
