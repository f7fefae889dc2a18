#pragma once

// Which of the pictures drawn for several display scales to take at a DPI: the
// largest that fits the size asked for, so that none is ever stretched.

#include <windows.h>

// The toolbar image `baseId` (one of the four drawn at 32 pixels) at the largest of
// its sizes (32, 40, 48, 64, 80, 96) not above 32 pixels scaled to `dpi`.
UINT ToolbarImageId(UINT baseId, UINT dpi) noexcept;

// The side of the list's row icons at `dpi`: the largest size drawn into the icon
// resources (16, 20, 24, 32, 40, 48) not above 16 pixels scaled to `dpi`.
int ListIconSide(UINT dpi) noexcept;
