// Every test exe starts the process-wide facilities as the program's entry does.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include "framework/AppModule.h"

namespace {

class ProgramEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        OleInitialize(nullptr);
        INITCOMMONCONTROLSEX controls = {};
        controls.dwSize = sizeof(controls);
        controls.dwICC = ICC_WIN95_CLASSES | ICC_USEREX_CLASSES;
        InitCommonControlsEx(&controls);
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr);
        Module().Init(GetModuleHandleW(nullptr));
    }

    void TearDown() override
    {
        Module().Term();
        Gdiplus::GdiplusShutdown(gdiplusToken);
        OleUninitialize();
    }

private:
    ULONG_PTR gdiplusToken = 0;
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new ProgramEnvironment);

} // namespace
