#include "framework/Handles.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <atomic>
#include <thread>
#include <type_traits>
#include <utility>

static_assert(!std::is_copy_constructible_v<UniqueKernelHandle>, "handles must not be copied");
static_assert(!std::is_copy_assignable_v<UniqueBitmap>, "handles must not be copied");
static_assert(std::is_nothrow_move_constructible_v<UniqueIcon>, "handles move without throwing");
static_assert(std::is_nothrow_move_assignable_v<UniqueRegKey>, "handles move without throwing");

namespace {

bool IsOpenKernelHandle(HANDLE handle)
{
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != FALSE;
}

HANDLE NewEvent()
{
    return ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

}  // namespace

TEST(UniqueHandleOwnership, MoveConstructionLeavesTheSourceEmpty)
{
    UniqueKernelHandle source(NewEvent());
    HANDLE raw = source.get();

    UniqueKernelHandle target(std::move(source));

    EXPECT_FALSE(source);
    EXPECT_EQ(source.get(), nullptr);
    EXPECT_TRUE(target);
    EXPECT_EQ(target.get(), raw);
    EXPECT_TRUE(IsOpenKernelHandle(raw));
}

TEST(UniqueHandleOwnership, MoveAssignmentFreesWhatTheTargetHeld)
{
    UniqueKernelHandle target(NewEvent());
    HANDLE replaced = target.get();
    UniqueKernelHandle source(NewEvent());
    HANDLE moved = source.get();

    target = std::move(source);

    EXPECT_FALSE(IsOpenKernelHandle(replaced));
    EXPECT_EQ(target.get(), moved);
    EXPECT_FALSE(source);
}

TEST(UniqueHandleOwnership, SelfMoveAssignmentKeepsTheHandle)
{
    UniqueKernelHandle handle(NewEvent());
    HANDLE raw = handle.get();
    UniqueKernelHandle& alias = handle;

    handle = std::move(alias);

    EXPECT_EQ(handle.get(), raw);
    EXPECT_TRUE(IsOpenKernelHandle(raw));
}

TEST(UniqueHandleOwnership, ReleaseGivesUpOwnershipAndResetFrees)
{
    UniqueKernelHandle handle(NewEvent());
    HANDLE released = handle.release();
    EXPECT_FALSE(handle);
    EXPECT_TRUE(IsOpenKernelHandle(released));

    handle.reset(released);
    EXPECT_EQ(handle.get(), released);
    handle.reset();
    EXPECT_FALSE(IsOpenKernelHandle(released));
}

TEST(UniqueHandleOwnership, ScopeEndFreesTheHandle)
{
    HANDLE raw = nullptr;
    {
        UniqueKernelHandle handle(NewEvent());
        raw = handle.get();
    }
    EXPECT_FALSE(IsOpenKernelHandle(raw));

    HBRUSH brush = nullptr;
    {
        UniqueBrush owned(::CreateSolidBrush(RGB(1, 2, 3)));
        brush = owned.get();
        EXPECT_EQ(::GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    }
    EXPECT_EQ(::GetObjectType(brush), 0u);

    HWND window = nullptr;
    {
        UniqueWindow owned(::CreateWindowExW(0, L"Static", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                             ::GetModuleHandleW(nullptr), nullptr));
        window = owned.get();
        EXPECT_TRUE(::IsWindow(window));
    }
    EXPECT_FALSE(::IsWindow(window));
}

TEST(UniqueHandleOwnership, InvalidHandleValueCountsAsEmpty)
{
    UniqueKernelHandle file(
        ::CreateFileW(L"Z:\\no\\such\\folder\\file.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(file.get(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(file);
}

TEST(UniqueHandleOwnership, PutReceivesAnOutParameter)
{
    UniqueRegKey key;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
    EXPECT_TRUE(key);
}

TEST(UniqueHandleOwnership, ArgvFromCommandLineToArgvIsOwned)
{
    int count = 0;
    UniqueArgv argv(::CommandLineToArgvW(L"-o \"C:\\With Blanks\\a.rar\"", &count));
    ASSERT_TRUE(argv);
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(argv.get()[1], L"C:\\With Blanks\\a.rar");
}

TEST(ScopedHelpers, SelectObjectPutsThePreviousObjectBack)
{
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    HGDIOBJ original = ::GetCurrentObject(dc.get(), OBJ_BRUSH);
    UniqueBrush brush(::CreateSolidBrush(RGB(200, 0, 0)));
    {
        ScopedSelectObject select(dc.get(), brush.get());
        EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BRUSH), brush.get());
    }
    EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BRUSH), original);
}

TEST(ScopedHelpers, GlobalLockGivesTheMemoryWhileInScope)
{
    UniqueGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, 16));
    ASSERT_TRUE(memory);
    {
        ScopedGlobalLock lock(memory.get());
        ASSERT_NE(lock.As<char>(), nullptr);
        lock.As<char>()[0] = 'q';
    }
    EXPECT_EQ(::GlobalFlags(memory.get()) & GMEM_LOCKCOUNT, 0u);
    ScopedGlobalLock again(memory.get());
    EXPECT_EQ(again.As<char>()[0], 'q');
}

TEST(ScopedHelpers, ScopedLockExcludesOtherThreads)
{
    CriticalSection section;
    std::atomic<bool> entered{false};
    std::thread other;
    {
        ScopedLock lock(section);
        other = std::thread([&] {
            ScopedLock inner(section);
            entered = true;
        });
        ::Sleep(50);
        EXPECT_FALSE(entered);
    }
    other.join();
    EXPECT_TRUE(entered);
}
