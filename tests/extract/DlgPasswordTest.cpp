// The "Enter password" dialog, run modally and answered like a user would.

#include "DialogDriver.h"
#include "OwnerWindow.h"

#include "extract/DlgPassword.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

class PasswordPrompt : public ::testing::Test {
protected:
    OwnerWindow owner{RECT{120, 90, 760, 570}};
    DialogDriver driver;
    CDlgPassword prompt;
};

TEST_F(PasswordPrompt, OkReturnsTheTypedPassword)
{
    driver.Expect(L"Enter password", [](DialogDriver::Dialog& dialog) {
        dialog.SetText(IDC_PASSWORD, L"correct horse");
        dialog.Press(IDOK);
    });
    EXPECT_EQ(prompt.DoModal(owner), IDOK);
    EXPECT_EQ(prompt.Password(), L"correct horse");
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(PasswordPrompt, CancelAndTheCloseBoxLeaveThePasswordEmpty)
{
    driver.Expect(L"Enter password", [](DialogDriver::Dialog& dialog) {
        dialog.SetText(IDC_PASSWORD, L"never mind");
        dialog.Press(IDCANCEL);
    });
    EXPECT_EQ(prompt.DoModal(owner), IDCANCEL);
    EXPECT_EQ(prompt.Password(), L"");

    CDlgPassword closed;
    driver.Expect(L"Enter password", [](DialogDriver::Dialog& dialog) {
        dialog.SetText(IDC_PASSWORD, L"never mind");
        ::PostMessageW(dialog.Handle(), WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(closed.DoModal(owner), IDCANCEL);
    EXPECT_EQ(closed.Password(), L"");
    EXPECT_TRUE(driver.AllAnswered());
}

// The user types at once: the focus starts in the field, and Enter answers OK.
TEST_F(PasswordPrompt, TypingAtOnceFillsTheFieldAndEnterAnswers)
{
    HWND focused = nullptr;
    HWND field = nullptr;
    driver.Expect(L"Enter password", [&](DialogDriver::Dialog& dialog) {
        focused = ::GetFocus();
        field = dialog.Item(IDC_PASSWORD);
        dialog.Type(L"swordfish\n");
    });
    EXPECT_EQ(prompt.DoModal(owner), IDOK);
    EXPECT_EQ(focused, field);
    EXPECT_EQ(prompt.Password(), L"swordfish");
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(PasswordPrompt, ShowsAMaskedEmptyFieldCentredOnItsOwner)
{
    RECT dialogRect{};
    LONG editStyle = 0;
    std::wstring info = L"?";
    std::wstring field = L"?";
    driver.Expect(L"Enter password", [&](DialogDriver::Dialog& dialog) {
        ::GetWindowRect(dialog.Handle(), &dialogRect);
        editStyle = ::GetWindowLongW(dialog.Item(IDC_PASSWORD), GWL_STYLE);
        info = dialog.Text(IDC_PASSWORD_INFO);
        field = dialog.Text(IDC_PASSWORD);
        dialog.Press(IDCANCEL);
    });
    prompt.DoModal(owner);
    RECT ownerRect{};
    ::GetWindowRect(owner, &ownerRect);
    EXPECT_NEAR((dialogRect.left + dialogRect.right) / 2, (ownerRect.left + ownerRect.right) / 2, 1);
    EXPECT_NEAR((dialogRect.top + dialogRect.bottom) / 2, (ownerRect.top + ownerRect.bottom) / 2, 1);
    EXPECT_TRUE(editStyle & ES_PASSWORD);
    EXPECT_TRUE(editStyle & ES_AUTOHSCROLL);
    EXPECT_EQ(info, L"");
    EXPECT_EQ(field, L"");
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(PasswordPrompt, EveryRequestStartsEmptyAndTakesTheWholeText)
{
    const std::wstring longPassword(3000, L'k');
    driver.Expect(L"Enter password", [&](DialogDriver::Dialog& dialog) {
        dialog.SetText(IDC_PASSWORD, longPassword);
        dialog.Press(IDOK);
    });
    EXPECT_EQ(prompt.DoModal(owner), IDOK);
    EXPECT_EQ(prompt.Password(), longPassword);

    CDlgPassword second;
    std::wstring fieldAtStart = L"?";
    driver.Expect(L"Enter password", [&](DialogDriver::Dialog& dialog) {
        fieldAtStart = dialog.Text(IDC_PASSWORD);
        dialog.Press(IDOK);
    });
    EXPECT_EQ(second.DoModal(owner), IDOK);
    EXPECT_EQ(fieldAtStart, L"");
    EXPECT_EQ(second.Password(), L"");
    EXPECT_TRUE(driver.AllAnswered());
}

}  // namespace
