#pragma once

#include <windows.h>

#include <vector>

class CMessageFilter {
public:
    virtual ~CMessageFilter() = default;
    // True claims the message: it is then neither translated nor dispatched.
    virtual bool FilterMessage(MSG* msg) = 0;
};

class CIdleHandler {
public:
    virtual ~CIdleHandler() = default;
    // True when there is more idle work to do.
    virtual bool OnIdle() = 0;
};

// Whether taking this message from the queue starts a new idle phase. Mouse
// moves, paints and the caret-blink timer (0x0118) arrive constantly and would
// otherwise keep the idle handlers running.
bool IsIdleResettingMessage(UINT message);

// The message loop of one thread. Filters and idle handlers are not owned and
// must be removed (or outlive the loop) before they are destroyed.
class CMessageLoop {
public:
    CMessageLoop() = default;
    CMessageLoop(const CMessageLoop&) = delete;
    CMessageLoop& operator=(const CMessageLoop&) = delete;

    void AddMessageFilter(CMessageFilter* filter);
    bool RemoveMessageFilter(CMessageFilter* filter);
    void AddIdleHandler(CIdleHandler* handler);
    bool RemoveIdleHandler(CIdleHandler* handler);

    // Runs until WM_QUIT and returns its exit code.
    int Run();

private:
    bool PreTranslateMessage(MSG* msg);
    bool OnIdle(int idleCount);

    std::vector<CMessageFilter*> filters;
    std::vector<CIdleHandler*> idleHandlers;
    MSG current{};
};
