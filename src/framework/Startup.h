#pragma once

// Process-wide services started for the length of a scope and stopped at its end,
// in reverse order of their construction.

#include <windows.h>

// Every library loaded from now on by name alone, and every library such a load
// brings along, is looked for in the system folder only: never beside the
// program (often the Downloads folder) nor in the current folder. Windows 7
// offers this only with update KB2533623; without it the current folder at
// least is left out. True when the system folder alone is searched.
bool SearchSystemFolderOnlyForLibraries() noexcept;

// OLE for the calling thread (COM included: the folder browser and memory streams
// need it, dragging entries out needs OLE itself).
class ScopedOle {
public:
    ScopedOle() noexcept;
    ~ScopedOle();
    ScopedOle(const ScopedOle&) = delete;
    ScopedOle& operator=(const ScopedOle&) = delete;

    bool Started() const noexcept { return started; }

private:
    bool started = false;
};

// GDI+, which decodes the toolbar's PNG images.
class ScopedGdiPlus {
public:
    ScopedGdiPlus() noexcept;
    ~ScopedGdiPlus();
    ScopedGdiPlus(const ScopedGdiPlus&) = delete;
    ScopedGdiPlus& operator=(const ScopedGdiPlus&) = delete;

    bool Started() const noexcept { return token != 0; }

private:
    ULONG_PTR token = 0;
};
