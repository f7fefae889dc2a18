#pragma once

#include "framework/Handles.h"

#include <map>

class CMessageLoop;

// The process-wide module: the instance whose resources the windows and
// dialogs use, the user-interface thread, and the message loop of each thread.
class CAppModule {
public:
    CAppModule() = default;
    CAppModule(const CAppModule&) = delete;
    CAppModule& operator=(const CAppModule&) = delete;

    // Records the current thread as the user-interface thread.
    void Init(HINSTANCE instance);
    void Term();

    // The instance given to Init, or the executable's before Init.
    HINSTANCE GetInstance() const;
    DWORD GetUiThreadId() const;

    // Registers the loop for the current thread; false if it already has one.
    bool AddMessageLoop(CMessageLoop* loop);
    // Unregisters the current thread's loop; false if it had none.
    bool RemoveMessageLoop();
    CMessageLoop* GetMessageLoop(DWORD threadId = ::GetCurrentThreadId()) const;

private:
    HINSTANCE instance = nullptr;
    DWORD uiThreadId = 0;
    mutable CriticalSection lock;
    std::map<DWORD, CMessageLoop*> loops;
};

CAppModule& Module();
