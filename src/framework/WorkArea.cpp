#include "framework/WorkArea.h"

RECT MoveOntoWorkArea(const RECT& outer, const RECT& workArea) noexcept
{
    const LONG width = outer.right - outer.left;
    const LONG height = outer.bottom - outer.top;
    LONG x = outer.left;
    LONG y = outer.top;
    if (x + width > workArea.right)
        x = workArea.right - width;
    if (x < workArea.left)
        x = workArea.left;
    if (y + height > workArea.bottom)
        y = workArea.bottom - height;
    if (y < workArea.top)
        y = workArea.top;
    return RECT{x, y, x + width, y + height};
}
