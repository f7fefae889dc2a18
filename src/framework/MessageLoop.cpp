#include "framework/MessageLoop.h"

#include <algorithm>

namespace {

constexpr UINT kCaretBlinkTimer = 0x0118;

template <typename T> bool RemoveFrom(std::vector<T*>& items, T* item)
{
    auto found = std::find(items.begin(), items.end(), item);
    if (found == items.end())
        return false;
    items.erase(found);
    return true;
}

}  // namespace

bool IsIdleResettingMessage(UINT message)
{
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case kCaretBlinkTimer:
        return false;
    default:
        return true;
    }
}

void CMessageLoop::AddMessageFilter(CMessageFilter* filter)
{
    filters.push_back(filter);
}

bool CMessageLoop::RemoveMessageFilter(CMessageFilter* filter)
{
    return RemoveFrom(filters, filter);
}

void CMessageLoop::AddIdleHandler(CIdleHandler* handler)
{
    idleHandlers.push_back(handler);
}

bool CMessageLoop::RemoveIdleHandler(CIdleHandler* handler)
{
    return RemoveFrom(idleHandlers, handler);
}

int CMessageLoop::Run()
{
    bool idle = true;
    int idleCount = 0;
    for (;;) {
        while (idle && !::PeekMessageW(&current, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++))
                idle = false;
        }

        BOOL got = ::GetMessageW(&current, nullptr, 0, 0);
        if (got == -1)
            continue;
        if (!got)
            break;

        if (!PreTranslateMessage(&current)) {
            ::TranslateMessage(&current);
            ::DispatchMessageW(&current);
        }

        if (IsIdleResettingMessage(current.message)) {
            idle = true;
            idleCount = 0;
        }
    }
    return static_cast<int>(current.wParam);
}

bool CMessageLoop::PreTranslateMessage(MSG* msg)
{
    // Newest first; indexes stay valid if a filter removes itself.
    for (size_t i = filters.size(); i > 0; --i) {
        if (i <= filters.size() && filters[i - 1]->FilterMessage(msg))
            return true;
    }
    return false;
}

bool CMessageLoop::OnIdle(int /*idleCount*/)
{
    bool moreWork = false;
    for (size_t i = 0; i < idleHandlers.size(); ++i) {
        if (idleHandlers[i]->OnIdle())
            moreWork = true;
    }
    return moreWork;
}
