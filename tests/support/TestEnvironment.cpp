// Every test exe starts the process-wide facilities as the program's entry does.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>

#include "framework/AppModule.h"
#include "framework/Startup.h"

namespace {

class ProgramEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ole = std::make_unique<ScopedOle>();
        INITCOMMONCONTROLSEX controls = {};
        controls.dwSize = sizeof(controls);
        controls.dwICC = ICC_WIN95_CLASSES | ICC_USEREX_CLASSES;
        InitCommonControlsEx(&controls);
        gdiPlus = std::make_unique<ScopedGdiPlus>();
        Module().Init(GetModuleHandleW(nullptr));
    }

    void TearDown() override
    {
        Module().Term();
        gdiPlus.reset();
        ole.reset();
    }

private:
    std::unique_ptr<ScopedOle> ole;
    std::unique_ptr<ScopedGdiPlus> gdiPlus;
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new ProgramEnvironment);

}  // namespace
