#include "ProgressEntryLog.h"

#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

thread_local ProgressEntryLog* activeLog = nullptr;

bool InProgressDialog(HWND control)
{
    wchar_t caption[64] = L"";
    ::GetWindowTextW(::GetParent(control), caption, 64);
    return std::wstring(caption) == L"Unpacking is in progress...";
}

}  // namespace

ProgressEntryLog::ProgressEntryLog()
{
    EXPECT_EQ(activeLog, nullptr) << "one log per thread at a time";
    hook = ::SetWindowsHookExW(WH_CALLWNDPROC, &BeforeCall, nullptr, ::GetCurrentThreadId());
    EXPECT_NE(hook, nullptr);
    activeLog = this;
}

ProgressEntryLog::~ProgressEntryLog()
{
    activeLog = nullptr;
    if (hook)
        ::UnhookWindowsHookEx(hook);
}

std::vector<std::wstring> ProgressEntryLog::NamesShownAs(const std::wstring& shownAction) const
{
    std::vector<std::wstring> names;
    for (const Shown& shown : entries) {
        if (shown.action == shownAction)
            names.push_back(shown.name);
    }
    return names;
}

LRESULT CALLBACK ProgressEntryLog::BeforeCall(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && activeLog)
        activeLog->Record(*reinterpret_cast<const CWPSTRUCT*>(lParam));
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void ProgressEntryLog::Record(const CWPSTRUCT& call)
{
    if (call.message != WM_SETTEXT || !InProgressDialog(call.hwnd))
        return;
    const std::wstring text = call.lParam ? reinterpret_cast<const wchar_t*>(call.lParam) : L"";
    const int id = ::GetDlgCtrlID(call.hwnd);
    if (id == IDC_ACTION)
        action = text;
    else if (id == IDC_ENTRY_NAME && !text.empty())
        entries.push_back({action, text});
}
