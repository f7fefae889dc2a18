// Ctrl+A and the clearing of a selection on a folder of 1,000,000 rows, through the
// main window as the user drives it, against the row-by-row loop it replaced.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <string>

#include "app/AppSettings.h"
#include "catalogue/ArchiveCatalogue.h"
#include "framework/AppModule.h"
#include "ui/MainFrame.h"

namespace {

constexpr int kRows = 1000000;
// The row-by-row loop is timed on a slice and scaled: over every row it runs for hours.
constexpr int kLoopRows = 10000;

// The frame's item-changed notifications, counted as they are sent.
int itemChangedNotifications = 0;

LRESULT CALLBACK CountNotifications(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_NOTIFY &&
        reinterpret_cast<const NMHDR*>(call->lParam)->code == LVN_ITEMCHANGED)
        ++itemChangedNotifications;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Action> double Time(Action action)
{
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    action();
    QueryPerformanceCounter(&to);
    return Milliseconds(from, to);
}

void Pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The catalogue of one folder holding kRows files, entered as the user would.
void FillWithOneBigFolder(CMainFrame& frame)
{
    EntryList entries;
    auto folder = std::make_unique<ArchiveEntry>();
    folder->path = L"big";
    folder->isFolder = true;
    entries.push_back(std::move(folder));
    for (int i = 0; i < kRows; ++i) {
        auto file = std::make_unique<ArchiveEntry>();
        file->path = L"big\\file" + std::to_wstring(i) + L".txt";
        entries.push_back(std::move(file));
    }
    frame.Catalogue().BuildFolderTree(std::move(entries));
    frame.Catalogue().archivePath = L"bench.rar";
    SendMessageW(frame.ListView(), LVM_SETITEMCOUNT, 1, 0);
    frame.ActivateRow(0);  // enter "big": kRows + 1 rows with ".."
    Pump();
}

void RowByRow(HWND list, bool select)
{
    const int count = kLoopRows;
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = select ? LVIS_SELECTED : 0;
    for (int row = 0; row < count; ++row)
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::wstring Status(const CMainFrame& frame)
{
    wchar_t text[128] = {};
    SendMessageW(frame.StatusBar(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

}  // namespace

int wmain()
{
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    Module().Init(GetModuleHandleW(nullptr));
    {
        AppSettings settings;
        CMainFrame frame(settings);
        frame.CreateMainWindow();
        frame.ShowWindow(SW_SHOWNORMAL);
        FillWithOneBigFolder(frame);
        HWND list = frame.ListView();
        std::printf("rows in view: %ld\n", static_cast<long>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));

        HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, &CountNotifications, nullptr, GetCurrentThreadId());
        for (int run = 1; run <= 3; ++run) {
            itemChangedNotifications = 0;
            const double selectAll = Time([&] {
                frame.SelectAll();
                Pump();
            });
            const int selectNotifications = itemChangedNotifications;
            const std::wstring selectedText = Status(frame);
            const long selected = static_cast<long>(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0));
            itemChangedNotifications = 0;
            const double clear = Time([&] {
                frame.ClearSelection();
                Pump();
            });
            std::printf("run %d: SelectAll %.1f ms, %d notification(s), %ld selected, status \"%ls\"; "
                        "ClearSelection %.1f ms, %d notification(s)\n",
                        run, selectAll, selectNotifications, selected, selectedText.c_str(), clear,
                        itemChangedNotifications);
        }
        itemChangedNotifications = 0;
        const double loopSelect = Time([&] {
            RowByRow(list, true);
            Pump();
        });
        const int loopNotifications = itemChangedNotifications;
        const double loopClear = Time([&] {
            RowByRow(list, false);
            Pump();
        });
        std::printf("row by row over %d rows: select %.1f ms (%d notifications), clear %.1f ms; "
                    "scaled to %d rows: select %.0f s, clear %.0f s\n",
                    kLoopRows, loopSelect, loopNotifications, loopClear, kRows, loopSelect * kRows / kLoopRows / 1000.0,
                    loopClear * kRows / kLoopRows / 1000.0);
        UnhookWindowsHookEx(hook);
        DestroyWindow(frame.handle);
    }
    Module().Term();
    CoUninitialize();
    return 0;
}
