#include "Watchdog.h"

#include <gtest/gtest.h>

#include <cstdio>

Watchdog::Watchdog(DWORD timeout) : timeoutMs(timeout), stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    thread.reset(::CreateThread(nullptr, 0, &Watchdog::Watch, this, 0, nullptr));
}

Watchdog::~Watchdog()
{
    ::SetEvent(stopEvent.get());
    ::WaitForSingleObject(thread.get(), INFINITE);
}

DWORD WINAPI Watchdog::Watch(void* param)
{
    auto* self = static_cast<Watchdog*>(param);
    if (::WaitForSingleObject(self->stopEvent.get(), self->timeoutMs) != WAIT_TIMEOUT)
        return 0;

    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::fprintf(stderr, "\nWATCHDOG: %s.%s still running after %lu ms; ending the process.\n",
                 test ? test->test_suite_name() : "?", test ? test->name() : "?",
                 static_cast<unsigned long>(self->timeoutMs));
    std::fflush(stderr);
    std::fflush(stdout);
    // The stuck thread may hold locks that an orderly exit would wait for.
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return 0;
}
