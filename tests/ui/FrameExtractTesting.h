// Shared by the frame tests that extract: a shown main window over an archive that
// rar makes, with the temporary folder moved into the test's own folder.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "DialogDriver.h"
#include "MainFrameTesting.h"
#include "RarFixture.h"
#include "TemporaryFolderOverride.h"

class FrameExtractTest : public RarFixtureTest {
protected:
    void TearDown() override
    {
        shown.reset();
        EXPECT_TRUE(driver.AllAnswered());
        RarFixtureTest::TearDown();
    }

    void Show(const std::wstring& archive, const AppSettings& settings = AppSettings())
    {
        ASSERT_FALSE(archive.empty());
        shown = std::make_unique<ShownMainFrame>(settings);
        ASSERT_EQ(shown->Frame().OpenArchive(archive), 1);
    }

    std::wstring Temp(const std::wstring& relative) const { return temp + L"\\" + relative; }

    void ExpectErrorBox(const std::wstring& message)
    {
        driver.Expect(L"Error", [message](DialogDriver::Dialog& box) {
            EXPECT_EQ(box.MessageText(), message);
            box.Press(IDOK);
        });
    }

    const std::wstring temp = fixture.Folder() + L"\\temp";
    TemporaryFolderOverride useTemp{temp};
    DialogDriver driver;
    std::unique_ptr<ShownMainFrame> shown;
};
