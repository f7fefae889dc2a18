#pragma once

// Waiting for work on another thread without freezing the window that asked for
// it: the waiting thread goes on answering its messages in a loop of its own while
// the window is out of the user's reach, as under a modal dialog.

#include <windows.h>

#include <functional>

// Disables `owner` from construction to destruction, so that nothing re-enters
// it while its thread waits; then enables it again (if it was enabled) and puts
// the keyboard focus back where it was.
class DisabledOwner {
public:
    explicit DisabledOwner(HWND owner) noexcept;
    ~DisabledOwner();
    DisabledOwner(const DisabledOwner&) = delete;
    DisabledOwner& operator=(const DisabledOwner&) = delete;

    // Enables the owner now, before a window it owns goes, so that activation
    // returns to the owner rather than to another program's window.
    void Release() noexcept;

private:
    HWND owner;
    HWND focus;
    bool wasEnabled;
    bool released = false;
};

// Dispatches every message waiting in this thread's queue, keyboard messages for
// `dialog` (when given) through its dialog manager. False when the quit message
// came: it is posted again for the loop it belongs to, and the caller stops
// waiting (taking messages now would meet it again at once).
bool DispatchWaitingMessages(HWND dialog = nullptr);

// Runs `work` on a thread of its own while this thread answers its messages with
// `owner` disabled, and returns when the work is done; what `work` throws is
// thrown again here. Without a thread the work runs here. `work` may read what
// the owner's thread holds: nothing changes it meanwhile.
void RunAside(HWND owner, const std::function<void()>& work);
