// The library's callback while listing, called the way the library calls it.

#include "DialogDriver.h"

#include "catalogue/ArchiveListing.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

LPARAM Buffer(wchar_t* buffer) { return reinterpret_cast<LPARAM>(buffer); }

TEST(ListingCallback, PasswordIsCutToTheLibrarysBuffer)
{
    DialogDriver driver;
    driver.Expect(L"Enter password", [](DialogDriver::Dialog& prompt) {
        prompt.SetText(IDC_PASSWORD, L"abcdefghijkl");
        prompt.Press(IDOK);
    });
    wchar_t buffer[12] = L"###########";
    EXPECT_EQ(ListingCallback(UCM_NEEDPASSWORDW, 0, Buffer(buffer), 8), 1);
    EXPECT_EQ(std::wstring(buffer), L"abcdefg");
    EXPECT_EQ(buffer[8], L'#');
    EXPECT_TRUE(driver.AllAnswered());
}

TEST(ListingCallback, RefusedPromptAnswersMinusOne)
{
    DialogDriver driver;
    driver.Expect(L"Enter password", [](DialogDriver::Dialog& prompt) {
        prompt.SetText(IDC_PASSWORD, L"typed but cancelled");
        prompt.Press(IDCANCEL);
    });
    wchar_t buffer[16] = L"untouched";
    EXPECT_EQ(ListingCallback(UCM_NEEDPASSWORDW, 0, Buffer(buffer), 16), -1);
    EXPECT_EQ(std::wstring(buffer), L"untouched");
    EXPECT_TRUE(driver.AllAnswered());
}

TEST(ListingCallback, PromptIsOwnedByTheWindowInUserData)
{
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                   500, 400, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    DialogDriver driver;
    HWND seenOwner = nullptr;
    driver.Expect(L"Enter password", [&seenOwner](DialogDriver::Dialog& prompt) {
        seenOwner = ::GetWindow(prompt.Handle(), GW_OWNER);
        prompt.Press(IDOK);
    });
    wchar_t buffer[4] = L"xyz";
    EXPECT_EQ(ListingCallback(UCM_NEEDPASSWORDW, reinterpret_cast<LPARAM>(owner), Buffer(buffer), 4), 1);
    EXPECT_EQ(seenOwner, owner);
    EXPECT_EQ(std::wstring(buffer), L"");  // OK on an empty field answers an empty password
    EXPECT_TRUE(driver.AllAnswered());
    ::DestroyWindow(owner);
}

TEST(ListingCallback, VolumeRequestsAreRefusedNoticesGoOn)
{
    wchar_t name[] = L"set.part2.rar";
    char narrow[] = "set.part2.rar";
    EXPECT_EQ(ListingCallback(UCM_CHANGEVOLUMEW, 0, Buffer(name), RAR_VOL_ASK), -1);
    EXPECT_EQ(ListingCallback(UCM_CHANGEVOLUME, 0, reinterpret_cast<LPARAM>(narrow), RAR_VOL_ASK), -1);
    EXPECT_EQ(ListingCallback(UCM_CHANGEVOLUMEW, 0, Buffer(name), RAR_VOL_NOTIFY), 0);
    EXPECT_EQ(ListingCallback(UCM_CHANGEVOLUME, 0, reinterpret_cast<LPARAM>(narrow), RAR_VOL_NOTIFY), 0);
}

TEST(ListingCallback, OtherMessagesAnswerZeroWithoutAPrompt)
{
    DialogDriver driver;  // a prompt here would be reported as unexpected
    char narrow[8] = "";
    unsigned char data[4] = {};
    EXPECT_EQ(ListingCallback(UCM_PROCESSDATA, 0, reinterpret_cast<LPARAM>(data), 4), 0);
    EXPECT_EQ(ListingCallback(UCM_NEEDPASSWORD, 0, reinterpret_cast<LPARAM>(narrow), 8), 0);
    EXPECT_EQ(ListingCallback(99, 0, 0, 0), 0);
    EXPECT_TRUE(driver.AllAnswered());
}

}  // namespace
