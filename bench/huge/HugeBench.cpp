// The huge archive: 1,100,000 entries in 110,000 folders, through the real main
// window. How long the window leaves a message unanswered while it opens the
// archive and while the user works with it, how the open compares with the
// library's bare list-mode walk plus the catalogue's own work, and what an entry
// costs in memory.
// Usage: bench_huge.exe ARCHIVE.rar WORKFOLDER [rounds]   (make-archive.sh makes the archive)

#include "../BareWalk.h"
#include "../BenchTiming.h"
#include "../CountedAllocations.h"
#include "app/AppSettings.h"
#include "catalogue/ArchiveCatalogue.h"
#include "catalogue/ArchiveListing.h"
#include "catalogue/RarLibrary.h"
#include "extract/DragOut.h"
#include "framework/AppModule.h"
#include "res/resource.h"
#include "ui/MainFrame.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <process.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kUnpackCaption[] = L"Unpack";
constexpr wchar_t kProgressCaption[] = L"Unpacking is in progress...";

void Pump()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

void PumpFor(double ms)
{
    const double end = Now() + ms;
    while (Now() < end) {
        Pump();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// Sends WM_NULL to the window every 20 ms from a thread of its own and records how
// long each answer took: the window's responsiveness as the system sees it.
class Prober {
public:
    explicit Prober(HWND target) : window(target)
    {
        thread = reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &Prober::Main, this, 0, nullptr));
    }
    ~Prober()
    {
        stop.store(true);
        // Its last probe may wait for this thread's answer.
        while (::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
            Pump();
        ::CloseHandle(thread);
    }

    // The longest answer of any probe that was waiting at some time within [from, to].
    double LongestWait(double from, double to)
    {
        std::lock_guard<std::mutex> guard(lock);
        double longest = 0;
        for (const Probe& probe : probes) {
            if (probe.sent < to && probe.sent + probe.wait > from)
                longest = std::max(longest, probe.wait);
        }
        return longest;
    }

private:
    struct Probe {
        double sent;
        double wait;
    };

    static unsigned __stdcall Main(void* self)
    {
        static_cast<Prober*>(self)->Run();
        return 0;
    }

    void Run()
    {
        while (!stop.load()) {
            const double sent = Now();
            DWORD_PTR answer = 0;
            ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &answer);
            const double wait = Now() - sent;
            {
                std::lock_guard<std::mutex> guard(lock);
                probes.push_back({sent, wait});
            }
            const double next = sent + 20 - Now();
            if (next > 0)
                ::Sleep(static_cast<DWORD>(next));
        }
    }

    HWND window;
    HANDLE thread = nullptr;
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::vector<Probe> probes;
};

// Answers the program's dialogs from a thread of its own, as a user would click:
// each step waits for a visible, enabled window of its caption, notes when it
// appeared, and acts on it.
class DialogHand {
public:
    using Action = std::function<void(HWND)>;

    void Expect(const wchar_t* caption, Action action)
    {
        steps.push_back({caption, std::move(action), 0});
    }
    void Start()
    {
        thread = reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &DialogHand::Main, this, 0, nullptr));
    }
    // When each step's window appeared (Now()), or 0 when it never did.
    std::vector<double> Finish()
    {
        ::WaitForSingleObject(thread, INFINITE);
        ::CloseHandle(thread);
        std::vector<double> seen;
        for (const Step& step : steps)
            seen.push_back(step.seenAt);
        steps.clear();
        return seen;
    }

private:
    struct Step {
        const wchar_t* caption;
        Action action;
        double seenAt;
    };

    static unsigned __stdcall Main(void* self)
    {
        static_cast<DialogHand*>(self)->Run();
        return 0;
    }

    void Run()
    {
        for (Step& step : steps) {
            const double giveUp = Now() + 600000;
            while (Now() < giveUp) {
                HWND window = ::FindWindowW(L"#32770", step.caption);
                if (window && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
                    step.seenAt = Now();
                    step.action(window);
                    break;
                }
                ::Sleep(2);
            }
            if (step.seenAt == 0) {
                std::fprintf(stderr, "'%ls' never appeared\n", step.caption);
                return;
            }
        }
    }

    std::vector<Step> steps;
    HANDLE thread = nullptr;
};

void Press(HWND dialog, int id)
{
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

// The walk keeping an entry per header, then the folder tree: the walk plus the
// catalogue's own work, with nothing else around it.
double WalkAndBuild(const std::wstring& path)
{
    const double start = Now();
    ArchiveCatalogue catalogue;
    EntryList kept;
    size_t headers = 0;
    if (BareWalk(path, RarOpenMode::List, headers, &kept) < 0)
        return -1;
    catalogue.BuildFolderTree(std::move(kept));
    const double elapsed = Now() - start;
    catalogue.ClearCatalogue();
    return elapsed;
}

size_t CountEntries(const ArchiveCatalogue& catalogue)
{
    size_t count = 0;
    VisitTree(catalogue.rootEntries, [&](const ArchiveEntry&) {
        ++count;
        return true;
    });
    return count;
}

int RowOf(const ArchiveCatalogue& catalogue, const wchar_t* path)
{
    for (int row = 0; row < catalogue.RowCount(); ++row) {
        const ArchiveEntry* entry = catalogue.EntryAtRow(row);
        if (entry && entry->path == path)
            return row;
    }
    return -1;
}

std::wstring StatusText(const CMainFrame& frame)
{
    wchar_t text[128] = {};
    ::SendMessageW(frame.StatusBar(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

// One user action: its duration on the calling thread and the longest unanswered
// message meanwhile.
struct Measure {
    std::vector<double> durations;
    std::vector<double> waits;
};

void Report(const char* name, const Measure& measure)
{
    std::printf("%-44s duration %9.1f ms   longest wait %9.1f ms (at most %9.1f ms)   (medians of %zu)\n", name,
                Median(measure.durations), Median(measure.waits),
                *std::max_element(measure.waits.begin(), measure.waits.end()), measure.durations.size());
}

bool HeldButton()
{
    return true;
}

HRESULT NoDrag(IDataObject*, IDropSource*, DWORD, DWORD* effect)
{
    *effect = DROPEFFECT_NONE;
    return DRAGDROP_S_CANCEL;
}

class Bench {
public:
    Bench(std::wstring archivePath, std::wstring workFolder) : archive(std::move(archivePath)), work(std::move(workFolder))
    {
    }

    void Run(int rounds)
    {
        frame = std::make_unique<CMainFrame>(settings);
        frame->CreateMainWindow();
        frame->ShowWindow(SW_SHOWNORMAL);
        frame->UpdateWindow();
        PumpFor(200);
        prober = std::make_unique<Prober>(frame->handle);

        Opens(rounds);
        Operations(rounds);
        Close();
    }

private:
    template <typename Action> void Time(Measure& measure, Action action)
    {
        const double start = Settled();
        action();
        const double end = Now();
        measure.durations.push_back(end - start);
        measure.waits.push_back(LongestWait(start, end));
    }

    // The start of a measure, once any probe held up by the benchmark's own work
    // before it has been answered: only what the measure holds up counts.
    double Settled()
    {
        PumpFor(100);
        return Now();
    }

    // The probe still waiting at the end is answered, and so recorded, once the
    // thread takes its messages again.
    double LongestWait(double from, double to)
    {
        PumpFor(100);
        return prober->LongestWait(from, to);
    }

    void Opens(int rounds)
    {
        std::vector<double> walks, builds, opens, waits;
        for (int round = 0; round < rounds; ++round) {
            size_t headers = 0;
            walks.push_back(BareWalk(archive, RarOpenMode::List, headers));
            builds.push_back(WalkAndBuild(archive));
            const size_t bytesBefore = liveBytes.load();
            const size_t blocksBefore = liveBlocks.load();
            const double start = Settled();
            const int result = frame->OpenArchive(archive);
            const double end = Now();
            opens.push_back(end - start);
            waits.push_back(LongestWait(start, end));
            PumpFor(1500);  // whatever is freed aside is done with before the next measure
            if (round == 0) {
                const size_t entries = CountEntries(frame->Catalogue());
                const double bytes = static_cast<double>(liveBytes.load() - bytesBefore);
                const double blocks = static_cast<double>(liveBlocks.load() - blocksBefore);
                std::printf("open result %d; %zu headers, %zu entries\n", result, headers, entries);
                std::printf("memory: %.1f bytes per entry requested in %.2f blocks per entry "
                            "(%.1f with 8 bytes of heap header a block); sizeof(ArchiveEntry) %zu\n",
                            bytes / static_cast<double>(entries), blocks / static_cast<double>(entries),
                            (bytes + 8 * blocks) / static_cast<double>(entries), sizeof(ArchiveEntry));
            }
            std::printf("round %d: bare walk %.1f ms, walk + catalogue's own %.1f ms, OpenArchive %.1f ms, "
                        "longest wait %.1f ms\n",
                        round + 1, walks.back(), builds.back(), opens.back(), waits.back());
        }
        // Rounds are compared within themselves first: the shared cores move whole
        // rounds up and down together.
        std::vector<double> ownShares, toWalkAndOwn, toWalk;
        for (size_t i = 0; i < opens.size(); ++i) {
            ownShares.push_back((builds[i] - walks[i]) / walks[i]);
            toWalkAndOwn.push_back(opens[i] / builds[i]);
            toWalk.push_back(opens[i] / walks[i]);
        }
        std::printf("open (medians): bare walk %.1f ms, walk + own %.1f ms, OpenArchive %.1f ms, longest wait %.1f ms "
                    "(at most %.1f ms); per round: catalogue's own %.1f%% of the walk, OpenArchive %.2fx walk + own, "
                    "%.2fx bare walk\n",
                    Median(walks), Median(builds), Median(opens), Median(waits),
                    *std::max_element(waits.begin(), waits.end()), 100.0 * Median(ownShares), Median(toWalkAndOwn),
                    Median(toWalk));
    }

    void SelectAll()
    {
        ::SendMessageW(frame->handle, WM_COMMAND, MAKEWPARAM(ID_SELECT_ALL, 1), 0);
        Pump();
    }

    void BeginDrag()
    {
        NMLISTVIEW notice = {};
        notice.hdr.hwndFrom = frame->ListView();
        notice.hdr.idFrom = static_cast<UINT_PTR>(frame->ListId());
        notice.hdr.code = LVN_BEGINDRAG;
        notice.iItem = 1;
        ::SendMessageW(frame->handle, WM_NOTIFY, notice.hdr.idFrom, reinterpret_cast<LPARAM>(&notice));
    }

    // The job starts from the Unpack dialog with "Selected files only" and is
    // cancelled as soon as its progress window shows.
    void UnpackSelection(Measure& dialogShown, Measure& jobStarted)
    {
        DialogHand hand;
        double okAt = 0;
        hand.Expect(kUnpackCaption, [&](HWND dialog) {
            ::SendMessageW(::GetDlgItem(dialog, IDC_EXTRACT_ALL), BM_SETCHECK, BST_UNCHECKED, 0);
            ::SendMessageW(::GetDlgItem(dialog, IDC_EXTRACT_SELECTED), BM_SETCHECK, BST_CHECKED, 0);
            ::SendMessageW(::GetDlgItem(dialog, IDC_DESTINATION), WM_SETTEXT, 0,
                           reinterpret_cast<LPARAM>(work.c_str()));
            okAt = Now();
            Press(dialog, IDOK);
        });
        hand.Expect(kProgressCaption, [](HWND dialog) { Press(dialog, IDCANCEL); });
        hand.Expect(kUnpackCaption, [](HWND dialog) { Press(dialog, IDCANCEL); });
        const double start = Settled();
        hand.Start();
        ::SendMessageW(frame->handle, WM_COMMAND, MAKEWPARAM(frame->UnpackButtonId(), BN_CLICKED), 0);
        const std::vector<double> seen = hand.Finish();
        dialogShown.durations.push_back(seen[0] - start);
        dialogShown.waits.push_back(LongestWait(start, seen[0]));
        jobStarted.durations.push_back(seen[1] - okAt);
        jobStarted.waits.push_back(LongestWait(okAt, seen[1]));
    }

    // A drag of the selection, its extraction cancelled as soon as its progress
    // window shows.
    void DragSelection(Measure& dragStarted)
    {
        DialogHand hand;
        hand.Expect(kProgressCaption, [](HWND dialog) { Press(dialog, IDCANCEL); });
        const double start = Settled();
        hand.Start();
        BeginDrag();
        const std::vector<double> seen = hand.Finish();
        dragStarted.durations.push_back(seen[0] - start);
        dragStarted.waits.push_back(LongestWait(start, seen[0]));
    }

    void Operations(int rounds)
    {
        const DragStarter previousStarter = SetDragStarter(&NoDrag);
        const DragButtonProbe previousProbe = SetDragButtonProbe(&HeldButton);
        Measure enter, selectAll, unpackShown, jobStarted, dragStarted, leave, topSelectAll, topDrag, topJobShown,
            topJobStarted;
        std::wstring status;
        for (int round = 0; round < rounds; ++round) {
            const int wide = RowOf(frame->Catalogue(), L"wide");
            Time(enter, [&] {
                frame->ActivateRow(wide);
                Pump();
            });
            Time(selectAll, [&] { SelectAll(); });
            status = StatusText(*frame);
            UnpackSelection(unpackShown, jobStarted);
            DragSelection(dragStarted);
            Time(leave, [&] {
                frame->ActivateRow(0);
                Pump();
            });
            // The top level's two folders hold every entry of the archive.
            Time(topSelectAll, [&] { SelectAll(); });
            UnpackSelection(topJobShown, topJobStarted);
            DragSelection(topDrag);
            frame->ClearSelection();
            PumpFor(500);
            std::printf("round %d done\n", round + 1);
        }
        SetDragStarter(previousStarter);
        SetDragButtonProbe(previousProbe);
        std::printf("status after Ctrl+A in wide: \"%ls\"\n", status.c_str());
        Report("enter a folder of 100,000 rows", enter);
        Report("Ctrl+A there, with its status text", selectAll);
        Report("Unpack dialog shown (100,000 selected)", unpackShown);
        Report("job over 100,000 selected rows started", jobStarted);
        Report("drag of 100,000 selected rows started", dragStarted);
        Report("leave it (100,000 selected)", leave);
        Report("Ctrl+A at the top level (2 folders)", topSelectAll);
        Report("Unpack dialog shown (top level selected)", topJobShown);
        Report("job over the top level's 2 folders started", topJobStarted);
        Report("drag of the top level's 2 folders started", topDrag);
    }

    void Close()
    {
        prober.reset();
        const double start = Now();
        ::SendMessageW(frame->handle, WM_CLOSE, 0, 0);
        const double windowGone = Now();
        frame.reset();
        const double end = Now();
        MSG message;
        while (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        std::printf("close: window gone after %.1f ms, frame and catalogue freed after %.1f ms\n", windowGone - start,
                    end - start);
    }

    const std::wstring archive;
    const std::wstring work;
    AppSettings settings;
    std::unique_ptr<CMainFrame> frame;
    std::unique_ptr<Prober> prober;
};

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_huge ARCHIVE.rar WORKFOLDER [rounds]\n");
        return 2;
    }
    const int rounds = argc > 3 ? std::max(1, _wtoi(argv[3])) : 3;
    ::CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_LINK_CLASS};
    ::InitCommonControlsEx(&controls);
    Module().Init(::GetModuleHandleW(nullptr));
    {
        Bench bench(argv[1], argv[2]);
        bench.Run(rounds);
    }
    Module().Term();
    ::CoUninitialize();
    return 0;
}
