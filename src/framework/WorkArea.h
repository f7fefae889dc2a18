#pragma once

#include <windows.h>

// `outer` moved (not resized) so that as much of it as fits lies on `workArea`:
// right and bottom edges first, then left and top, so that a rectangle larger
// than the area stands at the area's left and top edges.
RECT MoveOntoWorkArea(const RECT& outer, const RECT& workArea) noexcept;
