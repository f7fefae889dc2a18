#pragma once

#include "framework/Handles.h"

// Ends the whole process with a failure message and exit code 3 when it is not
// destroyed within the timeout, so that a test that is stuck (in a modal loop,
// a wait...) fails instead of hanging.
class Watchdog {
public:
    explicit Watchdog(DWORD timeout = kDefaultTimeoutMs);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    static constexpr DWORD kDefaultTimeoutMs = 20000;

private:
    static DWORD WINAPI Watch(void* self);

    DWORD timeoutMs;
    UniqueKernelHandle stopEvent;
    UniqueKernelHandle thread;
};
