// Work run on another thread while the asking thread waits: the waiting thread
// keeps answering, its window is out of reach meanwhile, and what the work throws
// comes back.
#include "framework/ModalWork.h"

#include "OwnerWindow.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <stdexcept>

TEST(ModalWork, RunAsideAnswersMessagesMeanwhileAndHandsBackAFailure)
{
    OwnerWindow owner({100, 100, 400, 300});
    DWORD workThread = 0;
    bool enabledMeanwhile = true;
    bool answered = false;
    DWORD_PTR length = 0;
    RunAside(owner, [&] {
        workThread = ::GetCurrentThreadId();
        enabledMeanwhile = ::IsWindowEnabled(owner) != FALSE;
        // Answered only if the waiting thread goes on taking its messages.
        answered = ::SendMessageTimeoutW(owner, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length) != 0;
    });
    EXPECT_NE(::GetCurrentThreadId(), workThread);
    EXPECT_FALSE(enabledMeanwhile);
    EXPECT_TRUE(answered);
    EXPECT_EQ(std::wcslen(L"Quillet test window"), length);
    EXPECT_TRUE(::IsWindowEnabled(owner));

    EXPECT_THROW(RunAside(owner, [] { throw std::runtime_error("lost"); }), std::runtime_error);
    EXPECT_TRUE(::IsWindowEnabled(owner));
}
