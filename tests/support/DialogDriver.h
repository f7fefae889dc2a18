#pragma once

#include "Watchdog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

// What answering a dialog takes, also for answerers that go without a script.
constexpr int kMessageBoxTextId = 0xFFFF;  // the static that holds a message box's text
std::wstring WindowTextOf(HWND window);
bool IsDialogWindow(HWND window);  // a window of the dialog manager's class
void PostButtonClick(HWND dialog, int id);

// Answers the modal dialogs and message boxes that the code under test shows on
// the test's own thread. Arm the expectations first, then run the code:
//
//   DialogDriver driver;
//   driver.Expect(L"Enter password", [](DialogDriver::Dialog& d) {
//       d.SetText(IDC_PASSWORD, L"secret");
//       d.Press(IDOK);
//   });
//   ... code that shows the dialog ...
//   EXPECT_TRUE(driver.AllAnswered());
//
// Expectations are met in order. A thread timer, which every modal loop
// dispatches, looks for a visible, enabled top-level window of the thread with
// the caption of the oldest open expectation and runs its action. When that
// window does not show up in time (or a dialog nobody expects stays up), the
// failure is recorded and every dialog of the thread is cancelled, so the test
// goes on; a watchdog ends the process if the whole test still hangs.
class DialogDriver {
public:
    class Dialog {
    public:
        explicit Dialog(HWND window, DialogDriver& owner) : hwnd(window), driver(owner) {}

        HWND Handle() const { return hwnd; }
        HWND Item(int id) const { return ::GetDlgItem(hwnd, id); }
        std::wstring Caption() const;

        std::wstring Text(int id) const;
        // The text of a message box.
        std::wstring MessageText() const;
        bool IsEnabled(int id) const;
        bool IsChecked(int id) const;

        void SetText(int id, const std::wstring& text);
        // Sets a check box or radio button as a click would leave it (a radio
        // button clears the others of its group) and notifies the dialog.
        void Check(int id, bool checked = true);
        // Types `text` as keystrokes into the dialog's focused control ("\n" is
        // Enter), after bringing the dialog to the foreground.
        void Type(const std::wstring& text);
        // Posts the button's click to the dialog. Pressing a control that is
        // missing or disabled, which a user could not do, records a failure.
        void Press(int id);

    private:
        HWND ControlOrFail(int id, const wchar_t* what);

        HWND hwnd;
        DialogDriver& driver;
    };

    using Action = std::function<void(Dialog&)>;

    static constexpr DWORD kDefaultExpectationTimeoutMs = 5000;

    explicit DialogDriver(DWORD testTimeoutMs = Watchdog::kDefaultTimeoutMs);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // The window must appear within `timeoutMs` of this expectation becoming
    // the oldest open one.
    void Expect(const std::wstring& caption, Action action, DWORD timeoutMs = kDefaultExpectationTimeoutMs);

    // How long a dialog that no expectation waits for may stay up.
    void SetUnexpectedDialogTimeout(DWORD timeoutMs) { unexpectedTimeoutMs = timeoutMs; }

    // Every expectation met and no failure recorded; the message lists what
    // went wrong otherwise.
    ::testing::AssertionResult AllAnswered() const;
    const std::vector<std::wstring>& Failures() const { return failures; }
    size_t Pending() const { return expectations.size(); }

    void RecordFailure(const std::wstring& failure) { failures.push_back(failure); }

private:
    struct Expectation {
        std::wstring caption;
        Action action;
        DWORD timeoutMs;
    };

    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Poll();
    void CancelAllDialogs();

    Watchdog watchdog;
    DialogDriver* previous = nullptr;
    UINT_PTR timer = 0;
    std::deque<Expectation> expectations;
    DWORD waitingSince = 0;
    HWND unexpected = nullptr;
    DWORD unexpectedSince = 0;
    DWORD unexpectedTimeoutMs = kDefaultExpectationTimeoutMs;
    std::vector<std::wstring> failures;
    mutable bool checked = false;
};

// Dispatch the thread's messages for the given time, or until the predicate
// holds. A WM_QUIT met on the way is posted again and ends the pumping.
void PumpMessagesFor(DWORD ms);
bool WaitUntil(const std::function<bool()>& predicate, DWORD timeoutMs);
