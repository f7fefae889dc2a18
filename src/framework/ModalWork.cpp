#include "framework/ModalWork.h"

#include "framework/Thread.h"

#include <exception>

DisabledOwner::DisabledOwner(HWND window) noexcept
    : owner(window), focus(::GetFocus()), wasEnabled(window && ::IsWindowEnabled(window))
{
    if (owner)
        ::EnableWindow(owner, FALSE);
}

DisabledOwner::~DisabledOwner()
{
    Release();
    // Disabling took the focus away; enabling does not give it back.
    if (focus && ::IsWindow(focus) && owner && ::GetActiveWindow() == owner)
        ::SetFocus(focus);
}

void DisabledOwner::Release() noexcept
{
    if (released)
        return;
    released = true;
    if (wasEnabled)
        ::EnableWindow(owner, TRUE);
}

bool DispatchWaitingMessages(HWND dialog)
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        if (dialog && ::IsDialogMessageW(dialog, &message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return true;
}

void RunAside(HWND owner, const std::function<void()>& work)
{
    std::exception_ptr failure;
    bool ranAside = false;
    {
        // Out of reach before the work starts: it may look at the owner at once.
        DisabledOwner disabled(owner);
        const UniqueKernelHandle thread = StartThread([&work, &failure] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
        });
        ranAside = static_cast<bool>(thread);
        bool answering = ranAside;
        while (answering) {
            const HANDLE done = thread.get();
            const DWORD woke = ::MsgWaitForMultipleObjectsEx(1, &done, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            if (woke == WAIT_OBJECT_0)
                break;
            answering = DispatchWaitingMessages();
        }
        // The work borrows what this thread holds: it ends before anything goes.
        if (ranAside)
            ::WaitForSingleObject(thread.get(), INFINITE);
    }
    if (!ranAside)
        work();
    else if (failure)
        std::rethrow_exception(failure);
}
