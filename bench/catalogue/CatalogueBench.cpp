// How the catalogue's own work compares with the library's header walk, what an
// entry costs in memory, and what entering a folder of 100,000 entries costs.
// Usage: bench_catalogue.exe ARCHIVE.rar   (make-archive.sh makes the archive)

#include "../BareWalk.h"
#include "../CountedAllocations.h"
#include "catalogue/ArchiveCatalogue.h"
#include "catalogue/ArchiveListing.h"
#include "catalogue/CellText.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <random>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct ListingRun {
    double walkMs = 0;      // the library's calls, measured inside the listing loop
    double creationMs = 0;  // entries made from the headers and kept
    double treeMs = 0;      // BuildFolderTree: tree, display order, total
    double clearMs = 0;     // ClearCatalogue of the previous catalogue
    size_t entries = 0;
    size_t catalogueBytes = 0;
    size_t catalogueBlocks = 0;
    size_t pathUnits = 0;
};

// The listing loop of ListArchive with a clock around each part (the clock's own
// cost lands on the catalogue's side).
ListingRun ListAndBuild(const std::wstring& path, ArchiveCatalogue& catalogue)
{
    ListingRun run;
    auto start = Clock::now();
    catalogue.ClearCatalogue();
    run.clearMs = MillisecondsSince(start);
    const size_t bytesBefore = liveBytes;
    const size_t blocksBefore = liveBlocks;

    Clock::duration walk{};
    Clock::duration creation{};
    EntryList entries;
    {
        RarArchive archive;
        auto header = std::make_unique<RARHeaderDataEx>();
        auto mark = Clock::now();
        if (archive.Open(path.c_str(), RarOpenMode::List, &ListingCallback, 0) != 0)
            return run;
        for (;;) {
            int code = archive.ReadHeader(*header);
            auto now = Clock::now();
            walk += now - mark;
            mark = now;
            if (code == 0) {
                entries.push_back(MakeEntry(*header));
                now = Clock::now();
                creation += now - mark;
                mark = now;
                code = archive.Skip();
                now = Clock::now();
                walk += now - mark;
                mark = now;
            }
            if (code != 0)
                break;
        }
        archive.Close();
        walk += Clock::now() - mark;
    }
    run.walkMs = std::chrono::duration<double, std::milli>(walk).count();
    run.creationMs = std::chrono::duration<double, std::milli>(creation).count();
    run.entries = entries.size();
    for (const auto& entry : entries)
        run.pathUnits += entry->path.size();

    start = Clock::now();
    catalogue.BuildFolderTree(std::move(entries));
    run.treeMs = MillisecondsSince(start);

    run.catalogueBytes = liveBytes - bytesBefore;
    run.catalogueBlocks = liveBlocks - blocksBefore;
    return run;
}

// An owner-data list like the main window's, answering its cell requests from the
// catalogue and counting them.
struct ListHost {
    ArchiveCatalogue* catalogue = nullptr;
    HWND list = nullptr;
    size_t requests = 0;
    wchar_t buffer[kCellTextCapacity];
};
ListHost host;

LRESULT CALLBACK HostProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == LVN_GETDISPINFOW) {
            ++host.requests;
            AnswerDisplayInfo(*host.catalogue, reinterpret_cast<NMLVDISPINFOW*>(lParam)->item, host.buffer);
            return 0;
        }
    }
    return ::DefWindowProcW(window, msg, wParam, lParam);
}

void PumpPending()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

void EnterBigFolder()
{
    ArchiveCatalogue catalogue;
    EntryList entries;
    auto folder = std::make_unique<ArchiveEntry>();
    folder->path = L"big";
    folder->isFolder = true;
    entries.push_back(std::move(folder));
    for (int i = 0; i < 100000; ++i) {
        auto file = std::make_unique<ArchiveEntry>();
        file->path = L"big\\file" + std::to_wstring(i) + L".dat";
        file->unpackedSize = static_cast<std::uint64_t>(i) * 4099u;
        file->fileTime = 0x42EF7076u;
        entries.push_back(std::move(file));
    }
    catalogue.BuildFolderTree(std::move(entries));

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &HostProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"CatalogueBenchHost";
    ::RegisterClassW(&windowClass);
    HWND frame = ::CreateWindowExW(0, windowClass.lpszClassName, L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900,
                                   700, nullptr, nullptr, windowClass.hInstance, nullptr);
    host.catalogue = &catalogue;
    host.list = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 0, 880,
                                  650, frame, nullptr, windowClass.hInstance, nullptr);
    const wchar_t* titles[] = {L"File name", L"Type", L"Size", L"Modified"};
    for (int column = 0; column < 4; ++column) {
        LVCOLUMNW info{};
        info.mask = LVCF_TEXT | LVCF_WIDTH;
        info.cx = 200;
        info.pszText = const_cast<wchar_t*>(titles[column]);
        ::SendMessageW(host.list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&info));
    }
    ::SendMessageW(host.list, LVM_SETITEMCOUNT, catalogue.RowCount(), 0);
    ::UpdateWindow(host.list);
    PumpPending();

    // Entering: the state step, one item-count change, one repaint.
    host.requests = 0;
    const auto start = Clock::now();
    ::LockWindowUpdate(host.list);
    catalogue.EnterFolder(catalogue.EntryAtRow(0));
    ::SendMessageW(host.list, LVM_SETITEMCOUNT, catalogue.RowCount(), 0);
    ::LockWindowUpdate(nullptr);
    ::InvalidateRect(host.list, nullptr, TRUE);
    ::UpdateWindow(host.list);
    const double enterMs = MillisecondsSince(start);
    std::printf("enter folder of %d rows: %.2f ms, %zu cell requests (visible rows only)\n", catalogue.RowCount(),
                enterMs, host.requests);

    // Cell requests at the start, middle and end of the view cost the same.
    const int probes[] = {1, 50000, 100000};
    for (int row : probes) {
        const auto cellStart = Clock::now();
        constexpr int kRequests = 200000;
        for (int i = 0; i < kRequests; ++i)
            FillCell(catalogue, row, i & 3, host.buffer, kCellTextCapacity);
        std::printf("cell request at row %6d: %.0f ns\n", row, MillisecondsSince(cellStart) * 1e6 / kRequests);
    }
    std::mt19937 random(7);
    std::uniform_int_distribution<int> anyRow(0, catalogue.RowCount() - 1);
    const auto randomStart = Clock::now();
    constexpr int kRandomRequests = 400000;
    for (int i = 0; i < kRandomRequests; ++i)
        FillCell(catalogue, anyRow(random), i & 3, host.buffer, kCellTextCapacity);
    std::printf("cell request at random rows: %.0f ns\n", MillisecondsSince(randomStart) * 1e6 / kRandomRequests);
    ::DestroyWindow(frame);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_catalogue ARCHIVE.rar\n");
        return 2;
    }
    const std::wstring path = argv[1];
    constexpr int kRuns = 3;

    // Each part of the listing loop is timed with one clock read on its side.
    const auto clockStart = Clock::now();
    constexpr int kClockReads = 1000000;
    for (int i = 0; i < kClockReads; ++i)
        (void)Clock::now();
    const double clockReadMs = MillisecondsSince(clockStart) / kClockReads;
    std::printf("one clock read: %.0f ns\n", clockReadMs * 1e6);

    size_t headers = 0;
    double bestWalkAlone = 1e18;
    ArchiveCatalogue catalogue;
    std::printf("run  walk-alone  walk-in-listing  creation  tree+order  own/walk   clear\n");
    ListingRun last;
    for (int run = 0; run < kRuns; ++run) {
        const double walkAlone = BareWalk(path, RarOpenMode::List, headers);
        bestWalkAlone = std::min(bestWalkAlone, walkAlone);
        last = ListAndBuild(path, catalogue);
        // The creation span carries one clock read per entry, the walk's two.
        const double clockMs = clockReadMs * static_cast<double>(last.entries);
        const double creation = std::max(0.0, last.creationMs - clockMs);
        const double walk = last.walkMs - 2 * clockMs;
        const double own = creation + last.treeMs;
        std::printf("%3d  %8.1f ms  %12.1f ms  %6.1f ms  %7.1f ms  %6.1f%%  %5.1f ms\n", run + 1, walkAlone, walk,
                    creation, last.treeMs, 100.0 * own / walk, last.clearMs);
    }
    std::printf("headers: %zu, entries kept: %zu, best walk alone %.1f ms\n", headers, last.entries, bestWalkAlone);

    const double pathBytes = 2.0 * static_cast<double>(last.pathUnits);
    std::printf("catalogue heap: %zu bytes requested in %zu blocks; path text %.0f bytes\n", last.catalogueBytes,
                last.catalogueBlocks, pathBytes);
    std::printf("per entry beyond path text: %.1f bytes requested, %.1f with 8 bytes of heap header a block\n",
                (static_cast<double>(last.catalogueBytes) - pathBytes) / static_cast<double>(last.entries),
                (static_cast<double>(last.catalogueBytes + 8 * last.catalogueBlocks) - pathBytes) /
                    static_cast<double>(last.entries));
    std::printf("sizeof(ArchiveEntry): %zu\n", sizeof(ArchiveEntry));

    EnterBigFolder();
    return 0;
}
