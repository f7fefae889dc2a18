// The Settings dialog, run modally and answered like a user would.

#include "DialogDriver.h"
#include "OwnerWindow.h"

#include "app/AppSettings.h"
#include "res/resource.h"
#include "widgets/DlgSettings.h"

#include <gtest/gtest.h>

namespace {

class SettingsDialog : public ::testing::Test {
protected:
    // Every field but the two switches, which the dialog must never touch.
    static void ExpectOtherFieldsUntouched(const AppSettings& settings)
    {
        const AppSettings defaults;
        EXPECT_EQ(settings.X, defaults.X);
        EXPECT_EQ(settings.Width, defaults.Width);
        EXPECT_EQ(settings.Column1, defaults.Column1);
        EXPECT_EQ(settings.Column5, defaults.Column5);
    }

    OwnerWindow owner{RECT{150, 80, 850, 580}};
    DialogDriver driver;
    AppSettings settings;
};

TEST_F(SettingsDialog, ShowsTheStoredSwitchesAndOkSavesThemAsOneOrZero)
{
    settings.OpenFile = 5;
    settings.DragDrop = 0;
    bool openFileShown = false;
    bool dragDropShown = true;
    std::wstring dragDropText;
    driver.Expect(L"Settings", [&](DialogDriver::Dialog& dialog) {
        openFileShown = dialog.IsChecked(IDC_OPEN_FILE);
        dragDropShown = dialog.IsChecked(IDC_DRAG_DROP);
        dragDropText = dialog.Text(IDC_DRAG_DROP);
        dialog.Press(IDOK);
    });
    CDlgSettings dialog(settings);
    EXPECT_EQ(dialog.DoModal(owner), IDOK);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_TRUE(openFileShown);
    EXPECT_FALSE(dragDropShown);
    EXPECT_EQ(dragDropText, L"Allow Files Drag && Drop");  // drawn with one ampersand
    EXPECT_EQ(settings.OpenFile, 1);
    EXPECT_EQ(settings.DragDrop, 0);
    ExpectOtherFieldsUntouched(settings);
}

TEST_F(SettingsDialog, OkAfterTogglingBothStoresTheNewState)
{
    settings.OpenFile = 1;
    settings.DragDrop = 0;
    driver.Expect(L"Settings", [](DialogDriver::Dialog& dialog) {
        dialog.Check(IDC_OPEN_FILE, false);
        dialog.Check(IDC_DRAG_DROP, true);
        dialog.Press(IDOK);
    });
    CDlgSettings dialog(settings);
    EXPECT_EQ(dialog.DoModal(owner), IDOK);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(settings.OpenFile, 0);
    EXPECT_EQ(settings.DragDrop, 1);
}

TEST_F(SettingsDialog, CancelEscapeAndTheCloseBoxLeaveTheRecordUnchanged)
{
    settings.OpenFile = 5;
    settings.DragDrop = 1;
    auto toggleBoth = [](DialogDriver::Dialog& dialog) {
        dialog.Check(IDC_OPEN_FILE, false);
        dialog.Check(IDC_DRAG_DROP, false);
    };
    driver.Expect(L"Settings", [&](DialogDriver::Dialog& dialog) {
        toggleBoth(dialog);
        dialog.Press(IDCANCEL);
    });
    driver.Expect(L"Settings", [&](DialogDriver::Dialog& dialog) {
        toggleBoth(dialog);
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    driver.Expect(L"Settings", [&](DialogDriver::Dialog& dialog) {
        toggleBoth(dialog);
        ::PostMessageW(dialog.Handle(), WM_CLOSE, 0, 0);
    });
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE(run);
        CDlgSettings dialog(settings);
        EXPECT_EQ(dialog.DoModal(owner), IDCANCEL);
        EXPECT_EQ(settings.OpenFile, 5);
        EXPECT_EQ(settings.DragDrop, 1);
    }
    EXPECT_TRUE(driver.AllAnswered());
    ExpectOtherFieldsUntouched(settings);
}

TEST_F(SettingsDialog, OpensCentredOnItsOwner)
{
    RECT dialogRect{};
    driver.Expect(L"Settings", [&](DialogDriver::Dialog& dialog) {
        ::GetWindowRect(dialog.Handle(), &dialogRect);
        dialog.Press(IDCANCEL);
    });
    CDlgSettings dialog(settings);
    EXPECT_EQ(dialog.DoModal(owner), IDCANCEL);
    EXPECT_TRUE(driver.AllAnswered());

    RECT ownerRect{};
    ::GetWindowRect(owner, &ownerRect);
    const int width = dialogRect.right - dialogRect.left;
    const int height = dialogRect.bottom - dialogRect.top;
    EXPECT_EQ(dialogRect.left, (ownerRect.left + ownerRect.right) / 2 - width / 2);
    EXPECT_EQ(dialogRect.top, (ownerRect.top + ownerRect.bottom) / 2 - height / 2);
}

}  // namespace
