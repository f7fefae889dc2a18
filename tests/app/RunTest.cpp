#include "app/Run.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "DialogDriver.h"
#include "DiskFiles.h"
#include "RarFixture.h"
#include "RegistrySandbox.h"
#include "TemporaryFolderOverride.h"
#include "app/Settings.h"
#include "Watchdog.h"
#include "ui/MainFrame.h"

namespace {

// Runs `action` on the main window once it is shown, from inside the run's own loop.
class OnMainWindow {
public:
    explicit OnMainWindow(std::function<void(HWND)> onShown) : action(std::move(onShown))
    {
        current = this;
        timer = SetTimer(nullptr, 0, 20, &OnMainWindow::Tick);
    }
    ~OnMainWindow()
    {
        KillTimer(nullptr, timer);
        current = nullptr;
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND window = FindWindowW(CMainFrame::kClassName, nullptr);
        // Disabled while an archive named by "-o" is still opening.
        if (current == nullptr || !current->action || window == nullptr || !IsWindowVisible(window) ||
            !IsWindowEnabled(window))
            return;
        auto action = std::move(current->action);
        current->action = nullptr;
        action(window);
    }

    static OnMainWindow* current;
    std::function<void(HWND)> action;
    UINT_PTR timer = 0;
};

OnMainWindow* OnMainWindow::current = nullptr;

void CloseNormally(HWND window)
{
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

LRESULT CALLBACK RefuseCreation(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return msg == WM_NCCREATE ? FALSE : DefWindowProcW(hwnd, msg, wParam, lParam);
}

RECT ClientOf(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    return client;
}

uint32_t Stored(const wchar_t* key, const wchar_t* name)
{
    uint32_t value = 0;
    EXPECT_TRUE(RegistrySandbox::ReadDword(key, name, value)) << name;
    return value;
}

void ExpectStoredGeometry(uint32_t x, uint32_t y, const RECT& client)
{
    EXPECT_EQ(x, Stored(kWindowKey, L"X"));
    EXPECT_EQ(y, Stored(kWindowKey, L"Y"));
    EXPECT_EQ(static_cast<uint32_t>(client.right), Stored(kWindowKey, L"Width"));
    EXPECT_EQ(static_cast<uint32_t>(client.bottom), Stored(kWindowKey, L"Height"));
}

}  // namespace

TEST(Run, NormalCloseExitsWithOneAndStoresTheGeometryOfThatMoment)
{
    RegistrySandbox sandbox;
    Watchdog watchdog;
    RECT client = {};
    OnMainWindow onShown([&](HWND window) {
        SetWindowPos(window, nullptr, 130, 90, 800, 560, SWP_NOZORDER);
        client = ClientOf(window);
        CloseNormally(window);
    });

    EXPECT_EQ(1, ::Run(L"", SW_SHOWNORMAL));

    ExpectStoredGeometry(130, 90, client);
    EXPECT_EQ(1u, Stored(kSettingsKey, L"OpenFile"));
    EXPECT_EQ(120u, Stored(kListKey, L"Column5"));
}

// Windows ends the process after WM_ENDSESSION without destroying the window: the
// settings are stored then, as a close stores them, and not again after it.
TEST(Run, TheSessionsEndStoresTheSettingsOnceAndIsNeverRefused)
{
    RegistrySandbox sandbox;
    Watchdog watchdog;
    RECT client = {};
    LRESULT mayEnd = FALSE;
    OnMainWindow onShown([&](HWND window) {
        SetWindowPos(window, nullptr, 140, 80, 790, 540, SWP_NOZORDER);
        client = ClientOf(window);
        mayEnd = SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        ExpectStoredGeometry(140, 80, client);
        // Were anything written at the end of the run, this would not stay.
        RegistrySandbox::SetDword(kListKey, L"Column5", 777);
        CloseNormally(window);
    });
    EXPECT_EQ(1, ::Run(L"", SW_SHOWNORMAL));
    EXPECT_EQ(TRUE, mayEnd);
    EXPECT_EQ(1u, Stored(kSettingsKey, L"DragDrop"));
    EXPECT_EQ(777u, Stored(kListKey, L"Column5"));
}

// A drag's files stay for targets that read them late; the next start removes them.
TEST(Run, StartRemovesTheDragFoldersOfEarlierRuns)
{
    RarFixture fixture;
    const std::wstring leftover = fixture.Folder() + L"\\temp\\photos-quillet-drag-0BADCAFE";
    TemporaryFolderOverride useTemp(fixture.Folder() + L"\\temp");
    WriteFileAt(leftover + L"\\a.txt", "a");
    WriteFileAt(leftover + L".lock", "Quillet drag folder\r\n");
    RegistrySandbox sandbox;
    Watchdog watchdog;
    bool goneOnceShown = false;
    OnMainWindow onShown([&](HWND window) {
        goneOnceShown = GetFileAttributesW(leftover.c_str()) == INVALID_FILE_ATTRIBUTES;
        CloseNormally(window);
    });
    EXPECT_EQ(1, ::Run(L"", SW_SHOWNORMAL));
    EXPECT_TRUE(goneOnceShown);
    EXPECT_EQ(GetFileAttributesW((leftover + L".lock").c_str()), INVALID_FILE_ATTRIBUTES);
}

// "-o" with a relative path, "." and ".." in it: the window names the whole path.
TEST(Run, ARelativeArchivePathOpensTheFileItNamesHere)
{
    if (!RarFixture::Available())
        GTEST_SKIP() << "rar cannot be run from here";
    RarFixture fixture;
    fixture.WriteFile(L"a.txt", "a");
    const std::wstring archive = fixture.MakeArchive(L"relative.rar");
    ASSERT_FALSE(archive.empty());
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(fixture.InputPath(L"").c_str()));
    RegistrySandbox sandbox;
    Watchdog watchdog;
    std::wstring title;
    OnMainWindow onShown([&](HWND window) {
        wchar_t text[1024] = {};
        GetWindowTextW(window, text, 1024);
        title = text;
        CloseNormally(window);
    });
    EXPECT_EQ(1, ::Run(L"-o .\\..\\out\\.\\relative.rar", SW_SHOWNORMAL));
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(title, L"Quillet - [" + archive + L"]");
}

TEST(Run, FirstRunOpensAtTheDefaultPlaceWithTheDefaultClientSize)
{
    RegistrySandbox sandbox;
    Watchdog watchdog;
    RECT outer = {};
    RECT client = {};
    OnMainWindow onShown([&](HWND window) {
        GetWindowRect(window, &outer);
        client = ClientOf(window);
        CloseNormally(window);
    });
    EXPECT_EQ(1, ::Run(nullptr, SW_SHOWNORMAL));
    EXPECT_EQ(20, outer.left);
    EXPECT_EQ(20, outer.top);
    EXPECT_EQ(865, client.right);
    EXPECT_EQ(595, client.bottom);
}

TEST(Run, NextStartUsesTheStoredPlaceAndClientSize)
{
    RegistrySandbox sandbox;
    Watchdog watchdog;
    AppSettings stored;
    stored.X = 60;
    stored.Y = 45;
    stored.Width = 640;
    stored.Height = 400;
    SaveSettings(stored);

    RECT outer = {};
    RECT client = {};
    OnMainWindow onShown([&](HWND window) {
        GetWindowRect(window, &outer);
        client = ClientOf(window);
        CloseNormally(window);
    });
    EXPECT_EQ(1, ::Run(L"", SW_SHOWNORMAL));
    EXPECT_EQ(60, outer.left);
    EXPECT_EQ(45, outer.top);
    EXPECT_EQ(640, client.right);
    EXPECT_EQ(400, client.bottom);
    // Unchanged by the run, so saved back as loaded.
    EXPECT_EQ(640u, Stored(kWindowKey, L"Width"));
    EXPECT_EQ(400u, Stored(kWindowKey, L"Height"));
}

TEST(Run, MainWindowThatCannotBeCreatedEndsWithZeroAndSavesNothing)
{
    RegistrySandbox sandbox;
    Watchdog watchdog;
    // A class of the main window's name whose windows refuse to be created.
    WNDCLASSEXW refusing = {};
    refusing.cbSize = sizeof(refusing);
    refusing.lpszClassName = CMainFrame::kClassName;
    refusing.hInstance = GetModuleHandleW(nullptr);
    refusing.lpfnWndProc = &RefuseCreation;
    ASSERT_NE(0, RegisterClassExW(&refusing));

    EXPECT_EQ(0, ::Run(L"-o C:\\nothing.rar", SW_SHOWNORMAL));
    EXPECT_FALSE(RegistrySandbox::KeyExists(L"SOFTWARE\\Tarnfield"));
    UnregisterClassW(CMainFrame::kClassName, GetModuleHandleW(nullptr));
}

TEST(Run, ClosingWhileMinimisedOrMaximisedStoresTheRestoredPlacement)
{
    for (int state : {SW_MINIMIZE, SW_MAXIMIZE}) {
        RegistrySandbox sandbox;
        Watchdog watchdog;
        RECT client = {};
        OnMainWindow onShown([&](HWND window) {
            SetWindowPos(window, nullptr, 150, 110, 820, 580, SWP_NOZORDER);
            client = ClientOf(window);
            ShowWindow(window, state);
            CloseNormally(window);
        });
        EXPECT_EQ(1, ::Run(L"", SW_SHOWNORMAL));
        EXPECT_EQ(150u, Stored(kWindowKey, L"X")) << state;
        EXPECT_EQ(110u, Stored(kWindowKey, L"Y")) << state;
        EXPECT_EQ(static_cast<uint32_t>(client.right), Stored(kWindowKey, L"Width")) << state;
        EXPECT_EQ(static_cast<uint32_t>(client.bottom), Stored(kWindowKey, L"Height")) << state;
    }
}

TEST(Run, StoredGeometryOffScreenOrTooSmallComesBackVisibleAndUsable)
{
    const POINT placesOffScreen[] = {{-32000, -32000}, {5000, 300}, {200, 4000}, {-3000, 200}, {300, -500}};
    for (POINT place : placesOffScreen) {
        RegistrySandbox sandbox;
        Watchdog watchdog;
        AppSettings stored;
        stored.X = place.x;
        stored.Y = place.y;
        stored.Width = 120;
        stored.Height = 0;
        SaveSettings(stored);

        RECT outer = {};
        RECT client = {};
        RECT work = {};
        OnMainWindow onShown([&](HWND window) {
            GetWindowRect(window, &outer);
            client = ClientOf(window);
            MONITORINFO info = {};
            info.cbSize = sizeof(info);
            GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
            work = info.rcWork;
            CloseNormally(window);
        });
        EXPECT_EQ(1, ::Run(L"", SW_SHOWNORMAL));
        EXPECT_EQ(600, client.right) << place.x << "," << place.y;
        EXPECT_EQ(390, client.bottom) << place.x << "," << place.y;
        RECT inside = {};
        EXPECT_TRUE(IntersectRect(&inside, &outer, &work));
        EXPECT_GE(outer.left, work.left);
        EXPECT_GE(outer.top, work.top);
        EXPECT_LE(outer.right, work.right);
        EXPECT_LE(outer.bottom, work.bottom);
    }
}
