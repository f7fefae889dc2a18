// The main window at display scales other than 100 %: what is given at 96 DPI is
// scaled by the window's, the images are the ones drawn for the scale, and all of it
// is laid out again when the scale changes. Wine reads the system's scale (the
// user's LogPixels) once, when a process starts: the window at 144 and 192 DPI is
// shown by a child copy of this program, started with the value set for it.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "DialogDriver.h"
#include "DiskFiles.h"
#include "MainFrameTesting.h"
#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "res/resource.h"

namespace {

constexpr wchar_t kDpiSwitch[] = L"--quillet-dpi=";
constexpr wchar_t kStartedSwitch[] = L"--quillet-started=";
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

// What the window shows at a scale, written out rather than computed.
struct Scale {
    UINT dpi;
    int rowIcon;      // the list's image list
    int buttonImage;  // the toolbar images
    int firstColumn;  // "File name" at its default 475
    SIZE aboutIcon;   // 126 x 128 at 96 DPI
};
constexpr Scale kScales[] = {
    {96, 16, 32, 475, {126, 128}},
    {144, 24, 48, 713, {189, 192}},
    {192, 32, 64, 950, {252, 256}},
};

const Scale& ScaleOf(UINT dpi)
{
    for (const Scale& scale : kScales) {
        if (scale.dpi == dpi)
            return scale;
    }
    ADD_FAILURE() << "no scale for " << dpi;
    return kScales[0];
}

std::wstring SwitchValue(const wchar_t* name)
{
    const std::wstring line = GetCommandLineW();
    const size_t at = line.find(name);
    if (at == std::wstring::npos)
        return std::wstring();
    const size_t start = at + wcslen(name);
    return line.substr(start, line.find(L' ', start) - start);
}

RECT Scaled(RECT rect, UINT dpi)
{
    return RECT{MulDiv(rect.left, dpi, 96), MulDiv(rect.top, dpi, 96), MulDiv(rect.right, dpi, 96),
                MulDiv(rect.bottom, dpi, 96)};
}

// Comparable and readable in a failure.
std::string Text(const RECT& rect)
{
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom);
}

LONG FontHeight(HWND window)
{
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return std::labs(font.lfHeight);
}

// The buttons, the list's place, the images, the status split and the minimum size
// at `dpi`.
void ExpectLaidOutFor(ShownMainFrame& shown, UINT dpi)
{
    const Scale& scale = ScaleOf(dpi);
    CMainFrame& frame = shown.Frame();
    EXPECT_EQ(frame.Dpi(), dpi);
    const RECT buttons[] = {{5, 5, 70, 60}, {75, 5, 140, 60}, {155, 5, 220, 60}, {235, 5, 305, 60}};
    const int ids[] = {frame.OpenButtonId(), frame.UnpackButtonId(), frame.SettingsButtonId(), frame.AboutButtonId()};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Text(shown.ChildRect(GetDlgItem(shown.Window(), ids[i]))), Text(Scaled(buttons[i], dpi))) << i;
        ASSERT_NE(frame.ButtonWithId(ids[i]), nullptr);
        EXPECT_EQ(frame.ButtonWithId(ids[i])->ImageWidth(), static_cast<UINT>(scale.buttonImage)) << i;
        EXPECT_EQ(frame.ButtonWithId(ids[i])->Dpi(), dpi) << i;
    }
    RECT client = {};
    GetClientRect(shown.Window(), &client);
    const RECT list = shown.ChildRect(shown.List());
    const RECT status = shown.ChildRect(frame.StatusBar());
    const int margin = MulDiv(1, dpi, 96);
    EXPECT_EQ(list.left, margin);
    EXPECT_EQ(list.top, MulDiv(65, dpi, 96));
    EXPECT_EQ(list.right, client.right - margin);
    EXPECT_EQ(list.bottom, status.top - margin);

    int side = 0;
    int height = 0;
    EXPECT_TRUE(ImageList_GetIconSize(frame.RowImages(), &side, &height));
    EXPECT_EQ(side, scale.rowIcon);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(shown.List(), LVM_GETIMAGELIST, LVSIL_SMALL, 0)),
              frame.RowImages());
    int parts[2] = {};
    SendMessageW(frame.StatusBar(), SB_GETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    EXPECT_EQ(parts[0], MulDiv(300, dpi, 96));

    RECT window = {};
    GetWindowRect(shown.Window(), &window);
    MINMAXINFO info = {};
    SendMessageW(shown.Window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x - (window.right - window.left - client.right), MulDiv(600, dpi, 96));
    EXPECT_EQ(info.ptMinTrackSize.y - (window.bottom - window.top - client.bottom), MulDiv(390, dpi, 96));
}

// The scale comes from the monitor the window is on; the suggested rectangle keeps
// its place and scales its size.
void ChangeScale(ShownMainFrame& shown, UINT from, UINT to)
{
    RECT window = {};
    GetWindowRect(shown.Window(), &window);
    RECT suggested = {window.left, window.top, window.left + MulDiv(window.right - window.left, to, from),
                      window.top + MulDiv(window.bottom - window.top, to, from)};
    SendMessageW(shown.Window(), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    PumpMessagesFor(20);
    GetWindowRect(shown.Window(), &window);
    EXPECT_EQ(Text(window), Text(suggested));
}

// Sets the user's scale for the processes started while it lives.
class LogPixelsOverride {
public:
    explicit LogPixelsOverride(DWORD dpi)
    {
        DWORD size = sizeof(previous);
        had = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &previous, &size) ==
              ERROR_SUCCESS;
        EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi)),
                  ERROR_SUCCESS);
    }
    ~LogPixelsOverride()
    {
        if (had)
            RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &previous, sizeof(previous));
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
    }
    LogPixelsOverride(const LogPixelsOverride&) = delete;
    LogPixelsOverride& operator=(const LogPixelsOverride&) = delete;

private:
    DWORD previous = 0;
    bool had = false;
};

struct ChildResult {
    DWORD exitCode = STILL_ACTIVE;
    std::string log;
};

// This program, running only the child's test at `dpi`; the user's scale is set back
// as soon as the child has started (and so has read it).
ChildResult RunAtScale(UINT dpi)
{
    ChildResult result;
    wchar_t exe[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, exe, ARRAYSIZE(exe));
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring log = std::wstring(temp) + L"quillet-dpi-" + std::to_wstring(dpi) + L".log";
    const std::wstring event =
        L"QuilletDpiChild-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(dpi);
    const UniqueKernelHandle started(CreateEventW(nullptr, TRUE, FALSE, event.c_str()));
    std::wstring commandLine = L"\"" + std::wstring(exe) + L"\" --gtest_filter=MainFrameDpiChild.* " + kDpiSwitch +
                               std::to_wstring(dpi) + L" " + kStartedSwitch + event;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    UniqueKernelHandle output(
        CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    PROCESS_INFORMATION process = {};
    {
        LogPixelsOverride scale(dpi);
        if (!started ||
            !CreateProcessW(exe, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
            return result;
        const HANDLE either[] = {started.get(), process.hProcess};
        WaitForMultipleObjects(2, either, FALSE, 60000);
    }
    const UniqueKernelHandle child(process.hProcess);
    const UniqueKernelHandle thread(process.hThread);
    if (WaitForSingleObject(child.get(), 120000) != WAIT_OBJECT_0)
        TerminateProcess(child.get(), 99);
    GetExitCodeProcess(child.get(), &result.exitCode);
    output.reset();
    result.log = ReadWholeFileAt(log);
    DeleteFileW(log.c_str());
    return result;
}

}  // namespace

TEST(MainFrameDpi, ChangingTheScaleLaysEverythingOutAgainAndSizesAreStoredAt96)
{
    AppSettings settings;
    settings.Width = 610;
    settings.Height = 400;
    settings.Column1 = 300;
    ShownMainFrame shown(settings);
    ASSERT_EQ(SystemDpi(), 96u);
    ExpectLaidOutFor(shown, 96);
    const LONG systemFont = FontHeight(shown.List());

    ASSERT_NO_FATAL_FAILURE(ChangeScale(shown, 96, 192));
    ExpectLaidOutFor(shown, 192);
    EXPECT_EQ(SendMessageW(shown.List(), LVM_GETCOLUMNWIDTH, 0, 0), 600);
    EXPECT_EQ(SendMessageW(shown.List(), LVM_GETCOLUMNWIDTH, 1, 0), 310);
    EXPECT_GE(FontHeight(shown.List()), 2 * systemFont - 1);
    EXPECT_GT(FontHeight(shown.Frame().StatusBar()), systemFont);

    ASSERT_NO_FATAL_FAILURE(ChangeScale(shown, 192, 96));
    ExpectLaidOutFor(shown, 96);
    EXPECT_EQ(SendMessageW(shown.List(), LVM_GETCOLUMNWIDTH, 0, 0), 300);
    EXPECT_EQ(FontHeight(shown.List()), systemFont);

    // Closed at 144 DPI: what is stored means the same at 96.
    ASSERT_NO_FATAL_FAILURE(ChangeScale(shown, 96, 144));
    RECT client = {};
    GetClientRect(shown.Window(), &client);
    DestroyWindow(shown.Window());
    EXPECT_EQ(shown.Settings().Width, MulDiv(client.right, 96, 144));
    EXPECT_EQ(shown.Settings().Height, MulDiv(client.bottom, 96, 144));
    EXPECT_EQ(shown.Settings().Column1, 300);
    EXPECT_EQ(shown.Settings().Column2, 155);
}

TEST(MainFrameDpi, StartsAtTheSystemScaleOf144And192)
{
    for (UINT dpi : {144u, 192u}) {
        const ChildResult child = RunAtScale(dpi);
        EXPECT_EQ(child.exitCode, 0u) << "at " << dpi << " DPI:\n" << child.log;
        // Neither skipped nor left out.
        EXPECT_NE(child.log.find("[       OK ] MainFrameDpiChild."), std::string::npos) << child.log;
    }
}

// The child's half: skipped unless started by the test above.
TEST(MainFrameDpiChild, ShowsTheWindowAndTheAboutBoxAtTheSystemScale)
{
    const std::wstring dpiText = SwitchValue(kDpiSwitch);
    if (dpiText.empty())
        GTEST_SKIP() << "runs only as the child of MainFrameDpi.StartsAtTheSystemScaleOf144And192";
    const UniqueKernelHandle started(OpenEventW(EVENT_MODIFY_STATE, FALSE, SwitchValue(kStartedSwitch).c_str()));
    if (started)
        SetEvent(started.get());
    const UINT dpi = static_cast<UINT>(std::stoul(dpiText));
    ASSERT_EQ(SystemDpi(), dpi);
    const Scale& scale = ScaleOf(dpi);

    ShownMainFrame shown;
    ExpectLaidOutFor(shown, dpi);
    EXPECT_EQ(SendMessageW(shown.List(), LVM_GETCOLUMNWIDTH, 0, 0), scale.firstColumn);
    // The default size scaled, unless the screen is smaller.
    RECT client = {};
    GetClientRect(shown.Window(), &client);
    RECT window = {};
    GetWindowRect(shown.Window(), &window);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(shown.Window(), MONITOR_DEFAULTTONEAREST), &monitor);
    RECT inside = {};
    IntersectRect(&inside, &window, &monitor.rcWork);
    EXPECT_EQ(Text(inside), Text(window));
    EXPECT_EQ(client.right, std::min<LONG>(MulDiv(865, dpi, 96), client.right + monitor.rcWork.right - window.right));

    DialogDriver driver;
    RECT icon = {};
    driver.Expect(L"About Quillet...", [&icon](DialogDriver::Dialog& about) {
        GetClientRect(about.Item(IDC_ABOUT_ICON), &icon);
        about.Press(IDOK);
    });
    SendMessageW(shown.Window(), WM_COMMAND, shown.Frame().AboutButtonId(), 0);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(icon.right, scale.aboutIcon.cx);
    EXPECT_EQ(icon.bottom, scale.aboutIcon.cy);

    DestroyWindow(shown.Window());
    EXPECT_EQ(shown.Settings().Column1, 475);
    EXPECT_EQ(shown.Settings().Width, MulDiv(client.right, 96, dpi));
}
