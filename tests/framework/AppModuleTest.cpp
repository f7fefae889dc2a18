#include "framework/AppModule.h"
#include "framework/MessageLoop.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// Each test starts from a freshly initialised module and leaves one behind, as
// the test environment sets it up for the other tests.
class AppModuleRegistry : public ::testing::Test {
protected:
    void SetUp() override { Module().Init(::GetModuleHandleW(nullptr)); }
    void TearDown() override
    {
        Module().Term();
        Module().Init(::GetModuleHandleW(nullptr));
    }
};

}  // namespace

TEST_F(AppModuleRegistry, InitRecordsTheCallingThreadAndTheInstance)
{
    EXPECT_EQ(Module().GetUiThreadId(), ::GetCurrentThreadId());
    EXPECT_EQ(Module().GetInstance(), ::GetModuleHandleW(nullptr));
}

TEST_F(AppModuleRegistry, EachThreadFindsItsOwnLoop)
{
    CMessageLoop uiLoop;
    ASSERT_TRUE(Module().AddMessageLoop(&uiLoop));

    CMessageLoop workerLoop;
    DWORD workerId = 0;
    CMessageLoop* seenByWorker = nullptr;
    std::thread worker([&] {
        workerId = ::GetCurrentThreadId();
        Module().AddMessageLoop(&workerLoop);
        seenByWorker = Module().GetMessageLoop();
    });
    worker.join();

    EXPECT_EQ(seenByWorker, &workerLoop);
    EXPECT_EQ(Module().GetMessageLoop(), &uiLoop);
    EXPECT_EQ(Module().GetMessageLoop(workerId), &workerLoop);
}

TEST_F(AppModuleRegistry, AThreadHasAtMostOneLoop)
{
    CMessageLoop first, second;
    EXPECT_TRUE(Module().AddMessageLoop(&first));
    EXPECT_FALSE(Module().AddMessageLoop(&second));
    EXPECT_EQ(Module().GetMessageLoop(), &first);
}

TEST_F(AppModuleRegistry, RemovingTheLoopLeavesNone)
{
    CMessageLoop loop;
    ASSERT_TRUE(Module().AddMessageLoop(&loop));

    EXPECT_TRUE(Module().RemoveMessageLoop());
    EXPECT_EQ(Module().GetMessageLoop(), nullptr);
    EXPECT_FALSE(Module().RemoveMessageLoop());
}

TEST_F(AppModuleRegistry, TermForgetsEveryLoop)
{
    CMessageLoop loop;
    ASSERT_TRUE(Module().AddMessageLoop(&loop));

    Module().Term();

    EXPECT_EQ(Module().GetMessageLoop(), nullptr);
    EXPECT_EQ(Module().GetUiThreadId(), 0u);
}
