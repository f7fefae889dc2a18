#pragma once

// Listing an archive on a worker thread while the user-interface thread goes on
// answering its messages. The two share one task: the worker opens the archive,
// walks its headers and builds the new catalogue in display order; the
// user-interface thread answers the library's password request and takes the
// result once the worker has ended. The worker holds the task until it ends, so
// the user-interface thread may stop waiting at any moment and leave the worker
// to finish, and free what it made, on its own.

#include "catalogue/ArchiveListing.h"
#include "framework/Handles.h"

#include <atomic>
#include <memory>
#include <string>

class ListingTask {
public:
    explicit ListingTask(std::wstring archivePath);
    ListingTask(const ListingTask&) = delete;
    ListingTask& operator=(const ListingTask&) = delete;

    // Starts the worker on a thread of its own; an empty handle when none could
    // start (or the task's events could not be made). The handle is signalled
    // when the worker has ended.
    static UniqueKernelHandle Start(const std::shared_ptr<ListingTask>& task) noexcept;

    const std::wstring& ArchivePath() const noexcept { return path; }
    // Read at any time, from any thread.
    size_t EntriesRead() const noexcept { return entriesRead.load(std::memory_order_relaxed); }

    // Signalled (auto-reset) when the worker waits for the archive's password;
    // the user-interface thread asks the user and answers.
    HANDLE PasswordWanted() const noexcept { return passwordWanted.get(); }
    void AnswerPassword(bool given, std::wstring typed) noexcept;

    // The user-interface thread stops waiting: the walk makes no further library
    // call, a pending or later password request is declined, and the worker frees
    // whatever it made.
    void Abandon() noexcept;

    // Once the worker has ended: what it listed.
    Listing TakeListing() noexcept { return std::move(listing); }

private:
    void Run() noexcept;
    // The worker's side of the password handshake: false when declined or abandoned.
    bool WaitForPassword(std::wstring& password);

    const std::wstring path;
    std::atomic<size_t> entriesRead{0};
    std::atomic<bool> abandoned{false};
    UniqueKernelHandle passwordWanted;    // auto-reset, set by the worker
    UniqueKernelHandle passwordAnswered;  // auto-reset, set by the user-interface thread
    // Written before passwordAnswered is set, read after it was waited for.
    bool passwordGiven = false;
    std::wstring password;
    // The worker's result; the user-interface thread reads it once the thread has ended.
    Listing listing;
};
