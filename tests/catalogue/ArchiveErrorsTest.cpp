// Result codes to messages, and the box that shows them.

#include "DialogDriver.h"

#include "catalogue/ArchiveErrors.h"
#include "catalogue/RarLibrary.h"
#include "catalogue/ResourceString.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ArchiveErrors, OtherCodesShowNothing)
{
    std::vector<int> silent = {0, 10, 20, 21, 22, -1, -24, 255, 256, 100000};
    for (int code = 1; code <= 9; ++code)
        silent.push_back(code);
    for (int code = 25; code <= 252; ++code)
        silent.push_back(code);
    for (int code : silent)
        EXPECT_EQ(ArchiveErrorStringId(code), 0u) << code;
}

TEST(ArchiveErrors, BoxIsCaptionedErrorAndWaitsForTheUser)
{
    DialogDriver driver;
    std::wstring shown;
    driver.Expect(L"Error", [&shown](DialogDriver::Dialog& box) {
        shown = box.MessageText();
        box.Press(IDOK);
    });
    ShowArchiveError(HEADER_BROKEN, nullptr);
    EXPECT_EQ(shown, L"File header broken.");
    EXPECT_TRUE(driver.AllAnswered());
}

TEST(ArchiveErrors, NormalEndAndRefusedPasswordShowNoBox)
{
    DialogDriver driver;  // any box that shows up is reported as unexpected
    ShowArchiveError(ERAR_END_ARCHIVE, nullptr);
    ShowArchiveError(ERAR_MISSING_PASSWORD, nullptr);
    ShowArchiveError(0, nullptr);
    EXPECT_TRUE(driver.AllAnswered());
}

}  // namespace
