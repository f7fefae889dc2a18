// The test helper that answers modal dialogs is itself tested here, on the
// framework's dialogs, because every other test relies on it.
#include "ProbeDialog.h"

#include "DialogDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool timerFired = false;

void CALLBACK OnTestTimer(HWND, UINT, UINT_PTR, DWORD)
{
    timerFired = true;
}

bool AnyFailureMentions(const DialogDriver& driver, const std::wstring& part)
{
    for (const auto& failure : driver.Failures()) {
        if (failure.find(part) != std::wstring::npos)
            return true;
    }
    return false;
}

}  // namespace

TEST(DialogDriverActions, FillsControlsAndReadsThemBack)
{
    std::wstring readBack;
    bool disabledSeen = true, checkSeen = false;
    DialogDriver driver;
    driver.Expect(L"Framework Test", [&](DialogDriver::Dialog& d) {
        d.SetText(IDC_TEST_EDIT, L"secret");
        d.Check(IDC_TEST_CHECK);
        d.Check(IDC_TEST_RADIO_A);
        d.Check(IDC_TEST_RADIO_B);
        readBack = d.Text(IDC_TEST_EDIT);
        checkSeen = d.IsChecked(IDC_TEST_CHECK);
        disabledSeen = d.IsEnabled(IDC_TEST_DISABLED);
        d.Press(IDOK);
    });

    CProbeDialog dialog;
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(readBack, L"secret");
    EXPECT_TRUE(checkSeen);
    EXPECT_FALSE(disabledSeen);
    EXPECT_EQ(dialog.editText, L"secret");
    EXPECT_TRUE(dialog.checkChecked);
    // Checking B clears A, as a click would.
    EXPECT_FALSE(dialog.radioAChecked);
    EXPECT_TRUE(dialog.radioBChecked);
    // One click notification per check: box, radio A, radio B.
    EXPECT_EQ(dialog.clicks, 3);
}

TEST(DialogDriverActions, UncheckingNotifiesOnlyOnChange)
{
    DialogDriver driver;
    driver.Expect(L"Framework Test", [](DialogDriver::Dialog& d) {
        d.Check(IDC_TEST_CHECK, false);  // already clear
        d.Check(IDC_TEST_CHECK, true);
        d.Check(IDC_TEST_CHECK, false);
        d.Press(IDOK);
    });

    CProbeDialog dialog;
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_FALSE(dialog.checkChecked);
    EXPECT_EQ(dialog.clicks, 2);
}

TEST(DialogDriverActions, AnswersAMessageBoxWithoutOwner)
{
    std::wstring text;
    DialogDriver driver;
    driver.Expect(L"Question", [&](DialogDriver::Dialog& d) {
        text = d.MessageText();
        d.Press(IDNO);
    });

    EXPECT_EQ(::MessageBoxW(nullptr, L"Replace the file?", L"Question", MB_YESNO), IDNO);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(text, L"Replace the file?");
}

TEST(DialogDriverFailures, PressingADisabledButtonIsRecorded)
{
    DialogDriver driver;
    driver.Expect(L"Framework Test", [](DialogDriver::Dialog& d) {
        d.Press(IDC_TEST_DISABLED);
        d.Press(IDOK);
    });

    CProbeDialog dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_FALSE(driver.AllAnswered());
    EXPECT_TRUE(AnyFailureMentions(driver, L"disabled control " + std::to_wstring(IDC_TEST_DISABLED)));
}

TEST(DialogDriverFailures, ADialogThatNeverShowsTimesOutAndTheOthersAreCancelled)
{
    DialogDriver driver;
    driver.Expect(
        L"Never Shown", [](DialogDriver::Dialog& d) { d.Press(IDOK); }, 300);

    CProbeDialog dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    EXPECT_FALSE(driver.AllAnswered());
    EXPECT_TRUE(AnyFailureMentions(driver, L"'Never Shown' did not appear"));
    EXPECT_TRUE(AnyFailureMentions(driver, L"'Framework Test'"));
    EXPECT_EQ(driver.Pending(), 0u);
}

TEST(DialogDriverFailures, AnUnexpectedDialogIsCancelled)
{
    DialogDriver driver;
    driver.SetUnexpectedDialogTimeout(300);

    EXPECT_EQ(::MessageBoxW(nullptr, L"Nobody waits for this", L"Surprise", MB_OK), IDOK);
    EXPECT_FALSE(driver.AllAnswered());
    EXPECT_TRUE(AnyFailureMentions(driver, L"unexpected dialog 'Surprise'"));
}

TEST(DialogDriverPumping, WaitUntilDispatchesWhileWaiting)
{
    DialogDriver driver;
    timerFired = false;
    // A thread timer's procedure only runs when someone dispatches.
    UINT_PTR timer = ::SetTimer(nullptr, 0, 10, &OnTestTimer);

    EXPECT_TRUE(WaitUntil([] { return timerFired; }, 2000));
    ::KillTimer(nullptr, timer);
    EXPECT_FALSE(WaitUntil([] { return false; }, 50));
    EXPECT_TRUE(driver.AllAnswered());
}

TEST(DialogDriverPumping, PumpMessagesForKeepsAQuitForTheCaller)
{
    DialogDriver driver;
    ::PostQuitMessage(5);
    PumpMessagesFor(20);

    MSG msg{};
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
    EXPECT_TRUE(driver.AllAnswered());
}
