#include "DialogDriver.h"

#include <utility>

std::wstring WindowTextOf(HWND window)
{
    if (!window)
        return {};
    int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    int copied = ::GetWindowTextW(window, &text[0], static_cast<int>(text.size()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

bool IsDialogWindow(HWND window)
{
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    return std::wstring(name) == L"#32770";
}

void PostButtonClick(HWND dialog, int id)
{
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

namespace {

constexpr UINT kPollIntervalMs = 25;
thread_local DialogDriver* activeDriver = nullptr;

BOOL CALLBACK CollectVisible(HWND window, LPARAM param)
{
    if (::IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

// The visible top-level windows of this thread, in z-order.
std::vector<HWND> VisibleThreadWindows()
{
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectVisible, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// Enabled: of two windows with the same caption, the one a user can reach
// (an owner is disabled while the dialog it opened is up).
HWND FindWindowWithCaption(const std::wstring& caption)
{
    for (HWND window : VisibleThreadWindows()) {
        if (::IsWindowEnabled(window) && WindowTextOf(window) == caption)
            return window;
    }
    return nullptr;
}

HWND FindEnabledDialog()
{
    for (HWND window : VisibleThreadWindows()) {
        if (::IsWindowEnabled(window) && IsDialogWindow(window))
            return window;
    }
    return nullptr;
}

std::wstring DescribeVisibleWindows()
{
    std::wstring text;
    for (HWND window : VisibleThreadWindows())
        text += L" '" + WindowTextOf(window) + L"'";
    return text.empty() ? L" none" : text;
}

bool IsRadioButton(HWND control)
{
    LONG type = ::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

// The controls of the group (from a WS_GROUP control up to the next one) that
// holds `control`, in tab order.
std::vector<HWND> GroupOf(HWND control)
{
    HWND first = control;
    while (!(::GetWindowLongW(first, GWL_STYLE) & WS_GROUP)) {
        HWND previous = ::GetWindow(first, GW_HWNDPREV);
        if (!previous)
            break;
        first = previous;
    }
    std::vector<HWND> group{first};
    for (HWND next = ::GetWindow(first, GW_HWNDNEXT); next && !(::GetWindowLongW(next, GWL_STYLE) & WS_GROUP);
         next = ::GetWindow(next, GW_HWNDNEXT))
        group.push_back(next);
    return group;
}

std::string Narrow(const std::wstring& text)
{
    if (text.empty())
        return {};
    int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size, nullptr, nullptr);
    return result;
}

// Drains the queue until the predicate holds or the time is up; a WM_QUIT is
// put back for the caller's own loop.
bool Pump(DWORD timeoutMs, const std::function<bool()>& predicate)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                return predicate && predicate();
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (predicate && predicate())
            return true;
        DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        // Short slices: the predicate may wait for another thread.
        DWORD slice = timeoutMs - elapsed;
        if (predicate && slice > 10)
            slice = 10;
        ::MsgWaitForMultipleObjectsEx(0, nullptr, slice, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace

std::wstring DialogDriver::Dialog::Caption() const
{
    return WindowTextOf(hwnd);
}

std::wstring DialogDriver::Dialog::Text(int id) const
{
    return WindowTextOf(Item(id));
}

std::wstring DialogDriver::Dialog::MessageText() const
{
    return Text(kMessageBoxTextId);
}

bool DialogDriver::Dialog::IsEnabled(int id) const
{
    HWND control = Item(id);
    return control && ::IsWindowEnabled(control);
}

bool DialogDriver::Dialog::IsChecked(int id) const
{
    HWND control = Item(id);
    return control && ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

HWND DialogDriver::Dialog::ControlOrFail(int id, const wchar_t* what)
{
    HWND control = Item(id);
    // Enter and Esc send IDOK and IDCANCEL even without such a button.
    bool implicit = id == IDOK || id == IDCANCEL;
    std::wstring problem;
    if (!control && !(implicit && std::wstring(what) == L"press"))
        problem = L"no control ";
    else if (control && !::IsWindowEnabled(control))
        problem = L"disabled control ";
    if (!problem.empty())
        driver.RecordFailure(L"cannot " + std::wstring(what) + L": " + problem + std::to_wstring(id) + L" in '" +
                             Caption() + L"'");
    return control;
}

void DialogDriver::Dialog::SetText(int id, const std::wstring& text)
{
    if (HWND control = ControlOrFail(id, L"set text"))
        ::SetWindowTextW(control, text.c_str());
}

void DialogDriver::Dialog::Check(int id, bool checked)
{
    HWND control = ControlOrFail(id, checked ? L"check" : L"uncheck");
    if (!control)
        return;
    bool radio = IsRadioButton(control);
    bool wasChecked = ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (radio && checked) {
        for (HWND other : GroupOf(control)) {
            if (other != control && IsRadioButton(other))
                ::SendMessageW(other, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
    ::SendMessageW(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    // A click on a radio button notifies even when it was already on.
    if (wasChecked != checked || (radio && checked))
        ::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

void DialogDriver::Dialog::Type(const std::wstring& text)
{
    // Real input, through the system's queue to whatever has the focus.
    ::SetForegroundWindow(hwnd);
    std::vector<INPUT> keys;
    for (const wchar_t unit : text) {
        for (const DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
            INPUT key = {};
            key.type = INPUT_KEYBOARD;
            if (unit == L'\n') {
                key.ki.wVk = VK_RETURN;
                key.ki.dwFlags = up;
            } else {
                key.ki.wScan = unit;
                key.ki.dwFlags = KEYEVENTF_UNICODE | up;
            }
            keys.push_back(key);
        }
    }
    if (!keys.empty() && ::SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)) != keys.size())
        driver.RecordFailure(L"SendInput refused the keys for \"" + Caption() + L"\"");
}

void DialogDriver::Dialog::Press(int id)
{
    HWND control = ControlOrFail(id, L"press");
    ::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

DialogDriver::DialogDriver(DWORD testTimeoutMs) : watchdog(testTimeoutMs), waitingSince(::GetTickCount())
{
    if (activeDriver)
        ADD_FAILURE() << "only one DialogDriver per thread at a time";
    previous = activeDriver;
    activeDriver = this;
    timer = ::SetTimer(nullptr, 0, kPollIntervalMs, &DialogDriver::OnTimer);
}

DialogDriver::~DialogDriver()
{
    ::KillTimer(nullptr, timer);
    activeDriver = previous;
    if (!checked && (!expectations.empty() || !failures.empty()))
        ADD_FAILURE() << "DialogDriver destroyed with problems nobody checked:" << AllAnswered().message();
}

void DialogDriver::Expect(const std::wstring& caption, Action action, DWORD timeoutMs)
{
    if (expectations.empty())
        waitingSince = ::GetTickCount();
    expectations.push_back({caption, std::move(action), timeoutMs});
}

::testing::AssertionResult DialogDriver::AllAnswered() const
{
    checked = true;
    if (expectations.empty() && failures.empty())
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult result = ::testing::AssertionFailure();
    for (const auto& failure : failures)
        result << "\n  " << Narrow(failure);
    for (const auto& expectation : expectations)
        result << "\n  never shown: '" << Narrow(expectation.caption) << "'";
    return result;
}

void CALLBACK DialogDriver::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (activeDriver)
        activeDriver->Poll();
}

void DialogDriver::Poll()
{
    const DWORD now = ::GetTickCount();
    if (expectations.empty()) {
        // Nobody will answer this one: close it rather than hang.
        HWND dialog = FindEnabledDialog();
        if (dialog != unexpected) {
            unexpected = dialog;
            unexpectedSince = now;
        } else if (dialog && now - unexpectedSince >= unexpectedTimeoutMs) {
            RecordFailure(L"unexpected dialog '" + WindowTextOf(dialog) + L"'");
            unexpected = nullptr;
            CancelAllDialogs();
        }
        return;
    }

    Expectation& next = expectations.front();
    if (HWND window = FindWindowWithCaption(next.caption)) {
        // Taken off the queue first: the action may open a nested modal loop
        // in which this timer answers the following expectations.
        Expectation current = std::move(next);
        expectations.pop_front();
        waitingSince = now;
        unexpected = nullptr;
        Dialog dialog(window, *this);
        current.action(dialog);
        return;
    }
    if (now - waitingSince >= next.timeoutMs) {
        RecordFailure(L"'" + next.caption + L"' did not appear within " + std::to_wstring(next.timeoutMs) +
                      L" ms; visible:" + DescribeVisibleWindows());
        expectations.pop_front();
        waitingSince = now;
        CancelAllDialogs();
    }
}

void DialogDriver::CancelAllDialogs()
{
    for (HWND window : VisibleThreadWindows()) {
        if (!IsDialogWindow(window))
            continue;
        int id = IDCANCEL;
        // A message box without a Cancel button ignores IDCANCEL.
        if (::GetDlgItem(window, kMessageBoxTextId) && !::GetDlgItem(window, IDCANCEL)) {
            for (int candidate : {IDNO, IDOK, IDABORT, IDIGNORE}) {
                if (::GetDlgItem(window, candidate)) {
                    id = candidate;
                    break;
                }
            }
        }
        ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
}

void PumpMessagesFor(DWORD ms)
{
    Pump(ms, nullptr);
}

bool WaitUntil(const std::function<bool()>& predicate, DWORD timeoutMs)
{
    return Pump(timeoutMs, predicate);
}
