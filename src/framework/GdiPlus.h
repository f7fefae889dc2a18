#pragma once

// The GDI+ C++ wrapper. MSVC's headers expect the min and max macros that
// NOMINMAX removes, so they get the standard ones in their namespace instead.
#include <windows.h>
#include <objidl.h>

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus

#include <gdiplus.h>
