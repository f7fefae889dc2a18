#include "ui/ListingWait.h"

#include "catalogue/ListingTask.h"
#include "extract/DlgPassword.h"
#include "framework/ModalWork.h"
#include "ui/DlgOpening.h"

#include <memory>
#include <new>

namespace {

bool IsDue(DWORD due)
{
    return static_cast<LONG>(::GetTickCount() - due) >= 0;
}

DWORD TimeUntil(DWORD due)
{
    const LONG left = static_cast<LONG>(due - ::GetTickCount());
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

class ListingWait {
public:
    ListingWait(HWND ownerWindow, std::shared_ptr<ListingTask> listingTask)
        : owner(ownerWindow), task(std::move(listingTask)),
          progress(task->ArchivePath(), [task = task] { return task->EntriesRead(); })
    {
    }

    WaitedListing Run()
    {
        WaitedListing waited;
        UniqueKernelHandle thread = ListingTask::Start(task);
        if (!thread) {
            waited.listing.codes.openResult = ERAR_NO_MEMORY;
            return waited;
        }
        bool ended = false;
        {
            DisabledOwner disabled(owner);
            ended = WaitForWorker(thread.get());
            disabled.Release();
            if (progress.handle)
                progress.DestroyWindow();
        }
        if (!ended) {
            task->Abandon();
            // A read stuck on a slow drive or share ends now rather than when it
            // would; the worker touches nothing of ours either way.
            ::CancelSynchronousIo(thread.get());
            waited.cancelled = true;
            return waited;
        }
        waited.listing = task->TakeListing();
        return waited;
    }

private:
    // True when the worker ended, false when the wait was given up.
    bool WaitForWorker(HANDLE thread)
    {
        DWORD progressDue = ::GetTickCount() + kOpeningProgressDelayMs;
        bool progressTried = false;
        for (;;) {
            const HANDLE events[] = {thread, task->PasswordWanted()};
            const DWORD timeout = progressTried ? INFINITE : TimeUntil(progressDue);
            const DWORD woke = ::MsgWaitForMultipleObjectsEx(2, events, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            if (woke == WAIT_OBJECT_0)
                return true;
            if (woke == WAIT_OBJECT_0 + 1) {
                AskPassword();
                // The time spent typing was the user's, not the open's.
                progressDue = ::GetTickCount() + kOpeningProgressDelayMs;
            }
            if (!DispatchWaitingMessages(progress.handle) || progress.CancelPressed() || !::IsWindow(owner))
                return false;
            if (!progressTried && IsDue(progressDue)) {
                // Once: a window that cannot be made leaves the open to end on its own.
                progressTried = true;
                progress.Show(owner);
            }
        }
    }

    void AskPassword() noexcept
    {
        // One window to answer at a time: Cancel waits for the prompt's end.
        if (progress.handle)
            progress.EnableWindow(false);
        bool typed = false;
        std::wstring password;
        try {
            CDlgPassword prompt;
            typed = prompt.DoModal(owner) == IDOK;
            if (typed)
                password = prompt.Password();
        } catch (const std::bad_alloc&) {
            typed = false;
        }
        task->AnswerPassword(typed, std::move(password));
        if (progress.handle)
            progress.EnableWindow(true);
        // Whatever the prompt did with its owner, it stays out of reach until the end.
        ::EnableWindow(owner, FALSE);
    }

    const HWND owner;
    const std::shared_ptr<ListingTask> task;
    CDlgOpening progress;
};

}  // namespace

WaitedListing ListWithoutFreezing(HWND owner, const std::wstring& path)
{
    try {
        ListingWait wait(owner, std::make_shared<ListingTask>(path));
        return wait.Run();
    } catch (const std::bad_alloc&) {
        WaitedListing refused;
        refused.listing.codes.openResult = ERAR_NO_MEMORY;
        return refused;
    }
}
