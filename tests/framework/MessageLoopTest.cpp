#include "framework/MessageLoop.h"
#include "framework/Window.h"

#include "Watchdog.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

constexpr UINT kProbe = WM_APP + 10;
constexpr UINT kIdleMark = 0;  // no real message is 0 in these logs

class CLoggingFilter : public CMessageFilter {
public:
    CLoggingFilter(int filterName, std::vector<int>& sharedLog, bool claimProbe = false)
        : name(filterName), log(sharedLog), claims(claimProbe)
    {
    }

    bool FilterMessage(MSG* msg) override
    {
        if (msg->message != kProbe)
            return false;
        log.push_back(name);
        return claims && msg->wParam == 1;
    }

private:
    int name;
    std::vector<int>& log;
    bool claims;
};

// Counts the probe messages that were dispatched to it.
class CProbeTarget : public CWindowImpl {
public:
    std::vector<WPARAM> dispatched;

    bool ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) override
    {
        if (msg != kProbe)
            return false;
        dispatched.push_back(wParam);
        result = 0;
        return true;
    }

protected:
    WndClassInfo GetWndClassInfo() const override { return {L"Quillet.Test.LoopProbeTarget"}; }
};

// Logs the idle rounds together with the messages that a filter sees, so that
// the log shows which message started a new idle phase.
class CIdleRecorder : public CMessageFilter, public CIdleHandler {
public:
    std::vector<UINT> log;
    std::function<void(int round)> onIdle;
    int rounds = 0;
    UINT_PTR timer = 0;

    bool FilterMessage(MSG* msg) override
    {
        if (msg->message == kProbe || msg->message == WM_TIMER || msg->message == WM_PAINT ||
            msg->message == WM_MOUSEMOVE || msg->message == WM_NCMOUSEMOVE || msg->message == 0x0118)
            log.push_back(msg->message);
        return false;
    }

    bool OnIdle() override
    {
        log.push_back(kIdleMark);
        if (onIdle)
            onIdle(++rounds);
        return false;
    }
};

// Posts `msg` in the first idle round; a timer wakes a loop that stopped idling.
// Returns what the loop logged right after the message.
UINT WhatFollows(UINT msg)
{
    CMessageLoop loop;
    CIdleRecorder recorder;
    recorder.onIdle = [&](int round) {
        if (round == 1) {
            ::PostThreadMessageW(::GetCurrentThreadId(), msg, 0, 0);
            recorder.timer = ::SetTimer(nullptr, 0, 100, nullptr);
        } else {
            ::PostQuitMessage(0);
        }
    };
    loop.AddMessageFilter(&recorder);
    loop.AddIdleHandler(&recorder);
    loop.Run();
    ::KillTimer(nullptr, recorder.timer);

    for (size_t i = 0; i + 1 < recorder.log.size(); ++i) {
        if (recorder.log[i] == msg)
            return recorder.log[i + 1];
    }
    ADD_FAILURE() << "message 0x" << std::hex << msg << " never reached the loop";
    return kIdleMark;
}

}  // namespace

TEST(MessageLoopIdleRule, LoopIdlesAgainAfterAnOrdinaryMessage)
{
    Watchdog watchdog;
    EXPECT_EQ(WhatFollows(kProbe), kIdleMark);
}

TEST(MessageLoopIdleRule, LoopWaitsForTheNextMessageAfterCaretBlinkPaintOrMouseMove)
{
    Watchdog watchdog;
    for (UINT msg :
         {0x0118u, static_cast<UINT>(WM_PAINT), static_cast<UINT>(WM_MOUSEMOVE), static_cast<UINT>(WM_NCMOUSEMOVE)})
        EXPECT_EQ(WhatFollows(msg), static_cast<UINT>(WM_TIMER)) << "message 0x" << std::hex << msg;
}

TEST(MessageLoopRun, ReturnsTheQuitCode)
{
    Watchdog watchdog;
    CMessageLoop loop;
    ::PostQuitMessage(7);
    EXPECT_EQ(loop.Run(), 7);
}

TEST(MessageLoopRun, IdleHandlersRunWhenTheQueueIsEmpty)
{
    Watchdog watchdog;
    CMessageLoop loop;
    CIdleRecorder recorder;
    recorder.onIdle = [](int) { ::PostQuitMessage(3); };
    loop.AddIdleHandler(&recorder);

    EXPECT_EQ(loop.Run(), 3);
    EXPECT_EQ(recorder.rounds, 1);
}

TEST(MessageLoopFilters, OfferedNewestFirst)
{
    Watchdog watchdog;
    std::vector<int> log;
    CLoggingFilter first(1, log), second(2, log), third(3, log);
    CMessageLoop loop;
    loop.AddMessageFilter(&first);
    loop.AddMessageFilter(&second);
    loop.AddMessageFilter(&third);

    ::PostThreadMessageW(::GetCurrentThreadId(), kProbe, 0, 0);
    ::PostQuitMessage(0);
    loop.Run();

    EXPECT_EQ(log, (std::vector<int>{3, 2, 1}));
}

TEST(MessageLoopFilters, AClaimedMessageGoesNoFurther)
{
    Watchdog watchdog;
    CProbeTarget target;
    ASSERT_NE(target.Create(HWND_MESSAGE, RECT{}, L"", 0), nullptr);
    std::vector<int> log;
    CLoggingFilter older(1, log), claiming(2, log, true);
    CMessageLoop loop;
    loop.AddMessageFilter(&older);
    loop.AddMessageFilter(&claiming);

    target.PostMessageW(kProbe, 1);  // claimed
    target.PostMessageW(kProbe, 2);  // not claimed
    ::PostQuitMessage(0);
    loop.Run();

    EXPECT_EQ(log, (std::vector<int>{2, 2, 1}));
    EXPECT_EQ(target.dispatched, std::vector<WPARAM>{2});
}

TEST(MessageLoopFilters, RemovedFilterIsNotOffered)
{
    Watchdog watchdog;
    std::vector<int> log;
    CLoggingFilter kept(1, log), removed(2, log);
    CMessageLoop loop;
    loop.AddMessageFilter(&kept);
    loop.AddMessageFilter(&removed);
    EXPECT_TRUE(loop.RemoveMessageFilter(&removed));
    EXPECT_FALSE(loop.RemoveMessageFilter(&removed));

    ::PostThreadMessageW(::GetCurrentThreadId(), kProbe, 0, 0);
    ::PostQuitMessage(0);
    loop.Run();

    EXPECT_EQ(log, std::vector<int>{1});
}
