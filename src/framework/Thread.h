#pragma once

// Work on a thread of its own, for the layers above that must not hold up the
// user-interface thread.

#include "framework/Handles.h"

#include <functional>

// Runs `work` on a new thread, which also destroys it there. Returns the thread's
// handle (close it to let the thread run on unwatched), or an empty handle when no
// thread could be started: `work` is then destroyed here without having run.
// Nothing `work` throws leaves the thread.
UniqueKernelHandle StartThread(std::function<void()> work) noexcept;
