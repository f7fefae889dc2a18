#include "ProbeDialog.h"

#include "DialogDriver.h"

#include <gtest/gtest.h>

TEST(DialogModal, OkEndsWithOne)
{
    DialogDriver driver;
    driver.Expect(L"Framework Test", [](DialogDriver::Dialog& d) { d.Press(IDOK); });

    CProbeDialog dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_TRUE(driver.AllAnswered());
}

TEST(DialogModal, CancelEndsWithTwo)
{
    DialogDriver driver;
    driver.Expect(L"Framework Test", [](DialogDriver::Dialog& d) { d.Press(IDCANCEL); });

    CProbeDialog dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    EXPECT_TRUE(driver.AllAnswered());
}

TEST(DialogModal, MissingTemplateGivesMinusOne)
{
    DialogDriver driver;
    CProbeDialog dialog(IDD_TEST_MISSING);
    EXPECT_EQ(dialog.DoModal(nullptr), -1);
    EXPECT_TRUE(driver.AllAnswered());
}

TEST(DialogBinding, ObjectIsBoundFromInitDialogUntilTheEnd)
{
    DialogDriver driver;
    HWND shown = nullptr;
    driver.Expect(L"Framework Test", [&](DialogDriver::Dialog& d) {
        shown = d.Handle();
        d.Press(IDOK);
    });

    CProbeDialog dialog;
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(dialog.boundAtInit, shown);
    EXPECT_EQ(dialog.handle, nullptr);
}

TEST(DialogBinding, HandledMessageAnswersTheSender)
{
    DialogDriver driver;
    LRESULT answer = 0;
    driver.Expect(L"Framework Test", [&](DialogDriver::Dialog& d) {
        answer = ::SendMessageW(d.Handle(), kAnswerMessage, 0, 0);
        d.Press(IDOK);
    });

    CProbeDialog dialog;
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(answer, kAnswer);
}

TEST(DialogNesting, DialogOwnedByADialogRunsItsOwnModalLoop)
{
    CProbeDialog outer;
    INT_PTR innerResult = 0;
    HWND innerOwner = nullptr;
    outer.onNested = [&](CProbeDialog& self) {
        CProbeDialog inner(IDD_TEST_INNER);
        inner.onInit = [&](CProbeDialog& dialog) { innerOwner = dialog.GetOwner(); };
        innerResult = inner.DoModal(self);
    };
    bool outerEnabledDuringInner = true;

    DialogDriver driver;
    driver.Expect(L"Framework Test", [](DialogDriver::Dialog& d) { d.Press(IDC_TEST_NESTED); });
    driver.Expect(L"Inner Test", [&](DialogDriver::Dialog& d) {
        outerEnabledDuringInner = ::IsWindowEnabled(::GetWindow(d.Handle(), GW_OWNER)) != FALSE;
        d.Press(IDOK);
    });
    driver.Expect(L"Framework Test", [](DialogDriver::Dialog& d) { d.Press(IDCANCEL); });

    EXPECT_EQ(outer.DoModal(nullptr), IDCANCEL);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(innerResult, IDOK);
    EXPECT_NE(innerOwner, nullptr);
    EXPECT_FALSE(outerEnabledDuringInner);
}

TEST(DialogNesting, MessageBoxOverADialogIsAnswered)
{
    CProbeDialog outer;
    int boxResult = 0;
    outer.onNested = [&](CProbeDialog& self) {
        boxResult = ::MessageBoxW(self, L"Something went wrong", L"Error", MB_OKCANCEL | MB_ICONERROR);
    };
    std::wstring text, caption;

    DialogDriver driver;
    driver.Expect(L"Framework Test", [](DialogDriver::Dialog& d) { d.Press(IDC_TEST_NESTED); });
    driver.Expect(L"Error", [&](DialogDriver::Dialog& d) {
        text = d.MessageText();
        caption = d.Caption();
        d.Press(IDCANCEL);
    });
    driver.Expect(L"Framework Test", [](DialogDriver::Dialog& d) { d.Press(IDOK); });

    EXPECT_EQ(outer.DoModal(nullptr), IDOK);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(boxResult, IDCANCEL);
    EXPECT_EQ(text, L"Something went wrong");
    EXPECT_EQ(caption, L"Error");
}

TEST(DialogNesting, TheSameDialogShownTwiceInARow)
{
    DialogDriver driver;
    driver.Expect(L"Framework Test", [](DialogDriver::Dialog& d) { d.Press(IDOK); });
    driver.Expect(L"Framework Test", [](DialogDriver::Dialog& d) { d.Press(IDCANCEL); });

    CProbeDialog first, second;
    EXPECT_EQ(first.DoModal(nullptr), IDOK);
    EXPECT_EQ(second.DoModal(nullptr), IDCANCEL);
    EXPECT_TRUE(driver.AllAnswered());
}
