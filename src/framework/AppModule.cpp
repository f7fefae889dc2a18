#include "framework/AppModule.h"

void CAppModule::Init(HINSTANCE moduleInstance)
{
    ScopedLock guard(lock);
    instance = moduleInstance;
    uiThreadId = ::GetCurrentThreadId();
    loops.clear();
}

void CAppModule::Term()
{
    ScopedLock guard(lock);
    loops.clear();
    uiThreadId = 0;
}

HINSTANCE CAppModule::GetInstance() const
{
    ScopedLock guard(lock);
    return instance ? instance : ::GetModuleHandleW(nullptr);
}

DWORD CAppModule::GetUiThreadId() const
{
    ScopedLock guard(lock);
    return uiThreadId;
}

bool CAppModule::AddMessageLoop(CMessageLoop* loop)
{
    ScopedLock guard(lock);
    return loops.emplace(::GetCurrentThreadId(), loop).second;
}

bool CAppModule::RemoveMessageLoop()
{
    ScopedLock guard(lock);
    return loops.erase(::GetCurrentThreadId()) != 0;
}

CMessageLoop* CAppModule::GetMessageLoop(DWORD threadId) const
{
    ScopedLock guard(lock);
    auto found = loops.find(threadId);
    return found == loops.end() ? nullptr : found->second;
}

CAppModule& Module()
{
    static CAppModule module;
    return module;
}
