#pragma once

// What the process holds, to tell a leak from a steady state: kernel handles,
// threads, GDI and USER objects. GetGuiResources answers 0 under Wine, so the
// GDI and USER objects are also counted from their handles: every handle value
// that the system accepts as a GDI object (Wine takes a handle without its upper
// word as any generation of that slot), and every window, menu, icon or cursor
// and accelerator table of this process. GetProcessHandleCount answers 0 under
// Wine too: then the open kernel handles are counted from their values.

#include <windows.h>

#include <string>

struct ProcessResources {
    DWORD handles = 0;
    DWORD threads = 0;
    DWORD gdiObjects = 0;   // counted from handles
    DWORD userObjects = 0;  // counted from handles
    DWORD systemGdi = 0;    // GetGuiResources, 0 under Wine
    DWORD systemUser = 0;

    std::string Describe() const;
};

ProcessResources MeasureProcessResources();

// Threads of this process now.
DWORD ThreadCount();
