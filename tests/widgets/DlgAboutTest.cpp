// The About dialog: the version from the exe's own version resource, the big
// icon, and the link that hands the maker's address to the shell.

#include "DialogDriver.h"
#include "OwnerWindow.h"
#include "RecordingShellOpener.h"

#include "res/resource.h"
#include "widgets/DlgAbout.h"
#include "widgets/VersionInfo.h"

#include <gtest/gtest.h>

namespace {

constexpr const wchar_t* kAboutCaption = L"About Quillet...";

// Sends the dialog a notification from its link control, as the control would.
LRESULT NotifyFromLink(HWND dialog, UINT code)
{
    NMHDR header{};
    header.hwndFrom = ::GetDlgItem(dialog, IDC_LINK);
    header.idFrom = IDC_LINK;
    header.code = code;
    return ::SendMessageW(dialog, WM_NOTIFY, IDC_LINK, reinterpret_cast<LPARAM>(&header));
}

void ClickLink(HWND dialog)
{
    HWND link = ::GetDlgItem(dialog, IDC_LINK);
    // The link's text starts at the control's left edge.
    ::SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 5));
    ::SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(6, 5));
}

class AboutDialog : public ::testing::Test {
protected:
    OwnerWindow owner{RECT{200, 100, 840, 580}};
    DialogDriver driver;
    RecordingShellOpener shell;
    CDlgAbout about;
};

TEST_F(AboutDialog, ShowsTheProductVersionAndTheBigIconCentredOnItsOwner)
{
    std::wstring version;
    HICON icon = nullptr;
    RECT iconRect{};
    RECT dialogRect{};
    driver.Expect(kAboutCaption, [&](DialogDriver::Dialog& dialog) {
        version = dialog.Text(IDC_VERSION);
        icon = reinterpret_cast<HICON>(::SendMessageW(dialog.Item(IDC_ABOUT_ICON), STM_GETICON, 0, 0));
        ::GetClientRect(dialog.Item(IDC_ABOUT_ICON), &iconRect);
        ::GetWindowRect(dialog.Handle(), &dialogRect);
        dialog.Press(IDOK);
    });
    EXPECT_EQ(about.DoModal(owner), IDOK);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(version, L"1.0.0.4");

    ASSERT_NE(icon, nullptr);
    // The dialog loaded its own copy at 126 x 128 and freed it when it ended.
    EXPECT_EQ(iconRect.right, 126);
    EXPECT_EQ(iconRect.bottom, 128);
    ICONINFO info{};
    EXPECT_FALSE(::GetIconInfo(icon, &info));

    RECT ownerRect{};
    ::GetWindowRect(owner, &ownerRect);
    const int width = dialogRect.right - dialogRect.left;
    const int height = dialogRect.bottom - dialogRect.top;
    EXPECT_EQ(dialogRect.left, (ownerRect.left + ownerRect.right) / 2 - width / 2);
    EXPECT_EQ(dialogRect.top, (ownerRect.top + ownerRect.bottom) / 2 - height / 2);
}

TEST_F(AboutDialog, EachClickOnTheLinkOpensTheMakersAddressOnce)
{
    HWND shown = nullptr;
    size_t callsAfterFirstClick = 0;
    driver.Expect(kAboutCaption, [&](DialogDriver::Dialog& dialog) {
        shown = dialog.Handle();
        ClickLink(shown);
        callsAfterFirstClick = shell.Calls().size();
        ClickLink(shown);
        dialog.Press(IDOK);
    });
    EXPECT_EQ(about.DoModal(owner), IDOK);
    EXPECT_TRUE(driver.AllAnswered());

    EXPECT_EQ(callsAfterFirstClick, 1u);
    ASSERT_EQ(shell.Calls().size(), 2u);
    for (const RecordingShellOpener::Call& call : shell.Calls()) {
        EXPECT_EQ(call.owner, shown);
        EXPECT_EQ(call.verb, L"open");
        EXPECT_EQ(call.file, L"https://quillet.example.org/");
        EXPECT_FALSE(call.hasParams);
        EXPECT_FALSE(call.hasDirectory);
        EXPECT_EQ(call.show, SW_SHOW);
    }
}

TEST_F(AboutDialog, LinkNotificationsOtherThanAClickOrEnterAreAnsweredAndDoNothing)
{
    LRESULT sentAnswer = -1;
    bool handled = false;
    LRESULT answer = -1;
    bool stillOpen = false;
    driver.Expect(kAboutCaption, [&](DialogDriver::Dialog& dialog) {
        sentAnswer = NotifyFromLink(dialog.Handle(), NM_SETFOCUS);
        NotifyFromLink(dialog.Handle(), NM_KILLFOCUS);
        // Counted as handled, so the dialog manager passes the 0 on.
        NMHDR header{dialog.Item(IDC_LINK), IDC_LINK, static_cast<UINT>(NM_SETFOCUS)};
        handled =
            about.ProcessWindowMessage(dialog.Handle(), WM_NOTIFY, IDC_LINK, reinterpret_cast<LPARAM>(&header), answer);
        stillOpen = ::IsWindowVisible(dialog.Handle()) != FALSE;
        dialog.Press(IDCANCEL);
    });
    EXPECT_EQ(about.DoModal(owner), IDCANCEL);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(sentAnswer, 0);
    EXPECT_TRUE(handled);
    EXPECT_EQ(answer, 0);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(shell.Calls().empty());
}

// The keyboard's way to the link: Tab to it, Enter opens it as a click does, and
// the dialog stays.
TEST_F(AboutDialog, EnterOnTheFocusedLinkOpensItWithoutEndingTheDialog)
{
    bool linkFocused = false;
    driver.Expect(kAboutCaption, [&](DialogDriver::Dialog& dialog) {
        ::SetFocus(dialog.Item(IDC_LINK));
        linkFocused = ::GetFocus() == dialog.Item(IDC_LINK);
        ::PostMessageW(dialog.Item(IDC_LINK), WM_KEYDOWN, VK_RETURN, 0);
        ::PostMessageW(dialog.Item(IDC_LINK), WM_KEYUP, VK_RETURN, 0);
        // Handled after the key: had Enter ended the dialog, the run would answer IDOK.
        dialog.Press(IDCANCEL);
    });
    EXPECT_EQ(about.DoModal(owner), IDCANCEL);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_TRUE(linkFocused);
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].file, L"https://quillet.example.org/");
}

TEST_F(AboutDialog, EscapeAndTheCloseBoxEndItWithCancel)
{
    driver.Expect(kAboutCaption, [](DialogDriver::Dialog&) { ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); });
    EXPECT_EQ(about.DoModal(owner), IDCANCEL);
    driver.Expect(kAboutCaption, [](DialogDriver::Dialog& dialog) { ::PostMessageW(dialog.Handle(), WM_CLOSE, 0, 0); });
    EXPECT_EQ(about.DoModal(owner), IDCANCEL);
    EXPECT_TRUE(driver.AllAnswered());
}

TEST(VersionInfo, ReadsTheProductVersionOnlyFromTheEnglishUnicodeTable)
{
    EXPECT_EQ(ProductVersionOf(::GetModuleHandleW(nullptr)), L"1.0.0.4");

    // kernel32 has version information, but not in the 0x0009 / 0x04B0 table.
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    ASSERT_NE(::FindResourceW(kernel, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION), nullptr);
    EXPECT_EQ(ProductVersionOf(kernel), L"");

    // The RAR library has none at all.
    const HMODULE library = ::GetModuleHandleW(L"unrar.dll");
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(ProductVersionOf(library), L"");
}

}  // namespace
