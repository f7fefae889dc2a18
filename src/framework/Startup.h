#pragma once

// Process-wide services started for the length of a scope and stopped at its end,
// in reverse order of their construction.

#include <windows.h>

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
