#include "framework/Thread.h"

#include <process.h>

#include <memory>
#include <new>

namespace {

unsigned __stdcall RunWork(void* parcel)
{
    const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parcel));
    // The C runtime would end the program for anything leaving the thread.
    try {
        (*work)();
    } catch (...) {
    }
    return 0;
}

}  // namespace

UniqueKernelHandle StartThread(std::function<void()> work) noexcept
{
    std::unique_ptr<std::function<void()>> parcel;
    try {
        parcel = std::make_unique<std::function<void()>>(std::move(work));
    } catch (const std::bad_alloc&) {
        return UniqueKernelHandle();
    }
    UniqueKernelHandle thread(
        reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &RunWork, parcel.get(), 0, nullptr)));
    // The thread owns the work from here; without a thread it goes with `parcel`.
    if (thread)
        parcel.release();
    return thread;
}
