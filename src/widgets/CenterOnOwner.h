#pragma once

#include <windows.h>

// Centres a top-level dialog on `centre` (its owner when null) and keeps it
// inside the work area of the nearest monitor. A hidden or minimised centre
// window is ignored: the dialog then centres on the work area itself. Returns
// whether the dialog was moved.
bool CenterOnOwner(HWND dialog, HWND centre = nullptr);
