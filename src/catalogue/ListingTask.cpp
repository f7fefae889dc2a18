#include "catalogue/ListingTask.h"

#include "framework/Thread.h"

#include <new>

ListingTask::ListingTask(std::wstring archivePath)
    : path(std::move(archivePath)), passwordWanted(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      passwordAnswered(::CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
}

UniqueKernelHandle ListingTask::Start(const std::shared_ptr<ListingTask>& task) noexcept
{
    // Without its events the worker could wait forever for a password.
    if (!task || !task->passwordWanted || !task->passwordAnswered)
        return UniqueKernelHandle();
    return StartThread([task] { task->Run(); });
}

void ListingTask::Run() noexcept
{
    const ListingWatch watch{&entriesRead, &abandoned};
    try {
        const PasswordRequest askPassword = [this](std::wstring& typed) { return WaitForPassword(typed); };
        listing = ListIntoNewCatalogue(path, askPassword, watch);
    } catch (const std::bad_alloc&) {
        listing = Listing();
        listing.codes.openResult = ERAR_NO_MEMORY;
    }
    // Nobody takes it any more: freed here rather than where the last hold goes.
    if (abandoned.load())
        listing = Listing();
}

bool ListingTask::WaitForPassword(std::wstring& typed)
{
    if (abandoned.load())
        return false;
    ::SetEvent(passwordWanted.get());
    // Short waits with an eye on the user-interface thread giving up.
    while (::WaitForSingleObject(passwordAnswered.get(), 10) != WAIT_OBJECT_0) {
        if (abandoned.load())
            return false;
    }
    if (!passwordGiven || abandoned.load())
        return false;
    typed = password;
    return true;
}

void ListingTask::AnswerPassword(bool given, std::wstring typed) noexcept
{
    passwordGiven = given;
    password = std::move(typed);
    ::SetEvent(passwordAnswered.get());
}

void ListingTask::Abandon() noexcept
{
    abandoned.store(true);
}
