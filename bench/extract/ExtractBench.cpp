// Extraction through a job (progress dialog, worker thread, filter, posted
// messages) against a bare loop over the same library calls, in the same run;
// then how the dialog answers while a job runs: the longest time the thread's
// lowest-priority message (a 10 ms timer) waits, and how long Cancel takes.
//
//   bench_extract.exe <large.rar> <small.rar> <flat.rar> <work folder> [rounds [display interval ms]]

#include "../BenchTiming.h"
#include "catalogue/ArchiveCatalogue.h"
#include "catalogue/ArchiveListing.h"
#include "catalogue/RarLibrary.h"
#include "extract/DlgProgress.h"
#include "extract/EntryFilter.h"
#include "framework/AppModule.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

int CALLBACK BareCallback(UINT message, LPARAM userData, LPARAM, LPARAM p2)
{
    if (message == UCM_PROCESSDATA)
        *reinterpret_cast<std::uint64_t*>(userData) += static_cast<std::uint32_t>(p2);
    if (message == UCM_CHANGEVOLUMEW || message == UCM_CHANGEVOLUME)
        return p2 == RAR_VOL_ASK ? -1 : 1;
    return 1;
}

// The job's library calls with nothing around them. `wanted` empty: every entry.
int BareExtract(const std::wstring& archivePath, const std::wstring& destination,
                const std::unordered_set<std::wstring>& wanted)
{
    ::CreateDirectoryW(destination.c_str(), nullptr);
    std::uint64_t bytes = 0;
    RarArchive archive;
    int result =
        archive.Open(archivePath.c_str(), RarOpenMode::Extract, &BareCallback, reinterpret_cast<LPARAM>(&bytes));
    if (result != 0)
        return result;
    auto header = std::make_unique<RARHeaderDataEx>();
    while ((result = archive.ReadHeader(*header)) == 0) {
        const bool take = wanted.empty() || wanted.count(header->FileNameW) != 0;
        result = take ? archive.ExtractTo(destination.c_str()) : archive.SkipWide();
        if (result != 0)
            break;
    }
    return result == ERAR_END_ARCHIVE ? 0 : result;
}

// CPU time of the whole process (both threads), in ms.
double ProcessCpu()
{
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ms = [](const FILETIME& time) {
        return static_cast<double>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

using UnixNameFunction = char*(CDECL*)(const wchar_t*);

// Removes a run's output from Linux (fast, whatever its size) so that every run
// starts on the same file system; waits until it is gone.
void RemoveRunFolder(const std::wstring& folder)
{
    static const auto unixName = reinterpret_cast<UnixNameFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName)
        return;
    char* name = unixName(folder.c_str());
    if (!name)
        return;
    std::string path(name);
    ::HeapFree(::GetProcessHeap(), 0, name);
    if (path.find("/bench-data/extract/work/run") == std::string::npos || path.find('\'') != std::string::npos)
        return;
    std::wstring command = L"/bin/sh -c \"rm -rf '" + std::wstring(path.begin(), path.end()) + L"'\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(L"/bin/sh", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return;
    if (process.hThread)
        ::CloseHandle(process.hThread);
    if (process.hProcess)
        ::CloseHandle(process.hProcess);
    const double deadline = Now() + 300000;
    while (::GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES && Now() < deadline)
        ::Sleep(50);
}

struct Watch {
    double started = 0;
    double lastTick = 0;
    double longestGap = 0;
    double cancelAfter = 0;  // 0: no cancel
    double cancelPosted = 0;
};
Watch watch;
DWORD displayInterval = kDefaultDisplayIntervalMs;  // for the comparisons

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD)
{
    const double now = Now();
    if (watch.lastTick > 0)
        watch.longestGap = std::max(watch.longestGap, now - watch.lastTick);
    watch.lastTick = now;
    if (watch.cancelAfter > 0 && watch.cancelPosted == 0 && now - watch.started >= watch.cancelAfter) {
        if (HWND progress = ::FindWindowW(L"#32770", L"Unpacking is in progress...")) {
            ::PostMessageW(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            watch.cancelPosted = now;
        }
    }
}

struct JobRun {
    INT_PTR result = 0;
    double ms = 0;
    double longestGap = 0;
    double cancelMs = 0;
};

JobRun RunJob(const ExtractionJob& job, HWND owner, DWORD displayIntervalMs, double cancelAfter = 0)
{
    watch = Watch();
    watch.cancelAfter = cancelAfter;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, &OnTick);
    CDlgProgress progress(job);
    progress.SetDisplayInterval(displayIntervalMs);
    JobRun run;
    watch.started = Now();
    run.result = progress.DoModal(owner);
    const double ended = Now();
    ::KillTimer(nullptr, timer);
    run.ms = ended - watch.started;
    run.longestGap = watch.longestGap;
    run.cancelMs = watch.cancelPosted > 0 ? ended - watch.cancelPosted : 0;
    return run;
}

class Bench {
public:
    Bench(std::wstring workFolder, int roundCount) : work(std::move(workFolder)), rounds(roundCount)
    {
        owner = ::CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 800, 600, nullptr,
                                  nullptr, nullptr, nullptr);
    }
    ~Bench() { ::DestroyWindow(owner); }

    // Bare loop and job `rounds` times, in turn first; every run writes into a
    // fresh folder, removed again before the next run.
    void Compare(const char* label, ExtractionJob job, const std::unordered_set<std::wstring>& wanted)
    {
        std::vector<double> bare, jobs, bareCpu, jobCpu;
        for (int round = 0; round < rounds; ++round) {
            for (int turn = 0; turn < 2; ++turn) {
                const bool runBare = (turn == 0) == (round % 2 == 0);
                const std::wstring folder = NextFolder();
                const double cpu = ProcessCpu();
                if (runBare) {
                    const double start = Now();
                    const int result = BareExtract(job.archivePath, folder, wanted);
                    bare.push_back(Now() - start);
                    bareCpu.push_back(ProcessCpu() - cpu);
                    std::printf("  %-30s round %d: bare %9.1f ms, CPU %9.1f ms (result %d)\n", label, round + 1,
                                bare.back(), bareCpu.back(), result);
                } else {
                    job.destination = folder;
                    const JobRun run = RunJob(job, owner, displayInterval);
                    jobs.push_back(run.ms);
                    jobCpu.push_back(ProcessCpu() - cpu);
                    std::printf("  %-30s round %d: job  %9.1f ms, CPU %9.1f ms (result %d), longest timer wait "
                                "%.1f ms\n",
                                label, round + 1, jobs.back(), jobCpu.back(), static_cast<int>(run.result),
                                run.longestGap);
                }
                std::fflush(stdout);
                RemoveRunFolder(folder);
            }
        }
        std::printf("%-32s median: bare %9.1f ms, job %9.1f ms, job/bare %+.1f %%; CPU: bare %9.1f ms, job "
                    "%9.1f ms, job/bare %+.1f %%\n\n",
                    label, Median(bare), Median(jobs), (Median(jobs) / Median(bare) - 1) * 100, Median(bareCpu),
                    Median(jobCpu), (Median(jobCpu) / Median(bareCpu) - 1) * 100);
        std::fflush(stdout);
    }

    void Responsiveness(const char* label, ExtractionJob job, DWORD displayIntervalMs, double cancelAfter)
    {
        job.destination = NextFolder();
        const JobRun run = RunJob(job, owner, displayIntervalMs, cancelAfter);
        RemoveRunFolder(job.destination);
        std::printf("%-36s display every %2lu ms: longest timer wait %7.1f ms, Cancel took %7.1f ms (result %d)\n",
                    label, displayIntervalMs, run.longestGap, run.cancelMs, static_cast<int>(run.result));
        std::fflush(stdout);
    }

    HWND Owner() const { return owner; }

private:
    std::wstring NextFolder() { return work + L"\\run" + std::to_wstring(++runs); }

    std::wstring work;
    int rounds;
    int runs = 0;
    HWND owner = nullptr;
};

ExtractionJob AllOf(const std::wstring& archive)
{
    ExtractionJob job;
    job.archivePath = archive;
    return job;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: bench_extract <large.rar> <small.rar> <flat.rar> <work folder> [rounds [display ms]]\n");
        return 2;
    }
    const std::wstring large = argv[1];
    const std::wstring small = argv[2];
    const std::wstring flat = argv[3];
    const std::wstring work = argv[4];
    const int rounds = argc > 5 ? std::max(1, _wtoi(argv[5])) : 3;
    displayInterval = argc > 6 ? static_cast<DWORD>(_wtoi(argv[6])) : kDefaultDisplayIntervalMs;

    ::CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    Module().Init(::GetModuleHandleW(nullptr));
    {
        Bench bench(work, rounds);

        // Totals as the Unpack dialog computes them, from the catalogue.
        ArchiveCatalogue largeCatalogue;
        ArchiveCatalogue smallCatalogue;
        for (auto* pair : {&largeCatalogue, &smallCatalogue}) {
            RarArchive archive;
            EntryList entries;
            ListArchive(pair == &largeCatalogue ? large : small, {}, archive, entries);
            pair->BuildFolderTree(std::move(entries));
        }
        ExtractionJob largeJob = AllOf(large);
        largeJob.catalogue = &largeCatalogue;
        largeJob.totalBytes = largeCatalogue.totalSize;
        ExtractionJob smallJob = AllOf(small);
        smallJob.catalogue = &smallCatalogue;
        smallJob.totalBytes = smallCatalogue.totalSize;

        std::printf("Extract mode All files, Replace; display every %lu ms; %d rounds, medians.\n\n", displayInterval,
                    rounds);
        bench.Compare("1 GiB in 4 files", largeJob, {});
        bench.Compare("100,000 files of 1.5 KB", smallJob, {});

        // 10,000 selected rows of a view of 100,000.
        ArchiveCatalogue flatCatalogue;
        {
            RarArchive archive;
            EntryList entries;
            ListArchive(flat, {}, archive, entries);
            flatCatalogue.BuildFolderTree(std::move(entries));
            flatCatalogue.archivePath = flat;
        }
        HWND list = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 0,
                                      780, 560, bench.Owner(), nullptr, nullptr, nullptr);
        ::SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(flatCatalogue.RowCount()), 0);
        LVITEMW selected = {};
        selected.stateMask = LVIS_SELECTED;
        selected.state = LVIS_SELECTED;
        std::unordered_set<std::wstring> wanted;
        for (int row = 0; row < flatCatalogue.RowCount(); row += 10) {
            ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&selected));
            wanted.insert(flatCatalogue.EntryAtRow(row)->path);
        }
        double start = Now();
        const auto selection = SelectedEntries(list, flatCatalogue);
        const EntryFilter filter = EntryFilter::ForEntries(selection);
        std::printf("Reading the selection (%zu of %d rows) into the job's set: %.1f ms\n\n", selection.size(),
                    flatCatalogue.RowCount(), Now() - start);
        ExtractionJob flatJob = AllOf(flat);
        flatJob.extractMode = ExtractSelected;
        flatJob.list = list;
        flatJob.catalogue = &flatCatalogue;
        for (const ArchiveEntry* entry : selection)
            flatJob.totalBytes += EntrySize(*entry);
        bench.Compare("10,000 selected of 100,000", flatJob, wanted);

        std::printf("Responsiveness (timer of 10 ms on the dialog's thread; Cancel pressed after 2 s):\n");
        for (DWORD interval : {kDefaultDisplayIntervalMs, DWORD(25), DWORD(0)}) {
            bench.Responsiveness("100,000 files of 1.5 KB", smallJob, interval, 2000);
            bench.Responsiveness("1 GiB in 4 files", largeJob, interval, 2000);
        }
        ::DestroyWindow(list);
    }
    Module().Term();
    ::CoUninitialize();
    return 0;
}
