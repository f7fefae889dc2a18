// What a solid archive costs. Opening: the program's listing against the library's
// bare header walk in list mode, and against the same walk in extract mode (where
// every skip unpacks). Jobs in the real progress dialog over one or a few selected
// rows, against a bare loop of the same library calls that stops after the last
// wanted entry and one that walks to the end of the archive.
//
//   bench_solid.exe ARCHIVE.rar [rounds]   (make-archive.sh makes the archive)
//
// Runs write below the archive's folder, in "work\runN", removed after each run.

#include "../BareWalk.h"
#include "../BenchTiming.h"
#include "catalogue/ArchiveCatalogue.h"
#include "catalogue/ArchiveListing.h"
#include "catalogue/RarLibrary.h"
#include "extract/DlgProgress.h"
#include "framework/AppModule.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

// Reads the archive once, so that no measure pays for the disk and the first does
// not pay more than the others.
void WarmUp(const std::wstring& path)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    std::vector<char> buffer(1 << 20);
    DWORD read = 0;
    while (::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) && read > 0) {
    }
    ::CloseHandle(file);
}

// The program's listing as opening an archive does it: headers into entries, then
// the tree (its share in `treeMs`). The catalogue is freed after the clock stops.
double ProgramListing(const std::wstring& path, size_t& entryCount, double& treeMs)
{
    ArchiveCatalogue catalogue;
    const double start = Now();
    {
        RarArchive archive;
        EntryList entries;
        ListArchive(path, {}, archive, entries);
        entryCount = entries.size();
        const double listed = Now();
        catalogue.BuildFolderTree(std::move(entries));
        treeMs = Now() - listed;
    }
    return Now() - start;
}

int CALLBACK BareCallback(UINT message, LPARAM, LPARAM, LPARAM p2)
{
    if (message == UCM_CHANGEVOLUMEW || message == UCM_CHANGEVOLUME)
        return p2 == RAR_VOL_ASK ? -1 : 1;
    return 1;
}

// A job's library calls with nothing around them: skip what is not wanted, extract
// what is; with `stop`, break once the last wanted entry is written.
int BareJob(const std::wstring& archivePath, const std::wstring& destination,
            const std::unordered_set<std::wstring>& wanted, bool stop)
{
    ::CreateDirectoryW(destination.c_str(), nullptr);
    RarArchive archive;
    int result = archive.Open(archivePath.c_str(), RarOpenMode::Extract, &BareCallback, 0);
    if (result != 0)
        return result;
    auto header = std::make_unique<RARHeaderDataEx>();
    size_t done = 0;
    while ((result = archive.ReadHeader(*header)) == 0) {
        const bool take = wanted.count(header->FileNameW) != 0;
        result = take ? archive.ExtractTo(destination.c_str()) : archive.SkipWide();
        if (result != 0)
            break;
        if (take && ++done == wanted.size() && stop)
            return 0;
    }
    return result == ERAR_END_ARCHIVE ? 0 : result;
}

// Removes a run's folder with what the run wrote; returns the files it held.
int RemoveTree(const std::wstring& folder)
{
    int files = 0;
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                files += RemoveTree(path);
            } else {
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (::DeleteFileW(path.c_str()))
                    ++files;
            }
        } while (::FindNextFileW(find, &found));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(folder.c_str());
    return files;
}

struct Case {
    const char* label;
    std::vector<size_t> headerIndexes;  // into the archive's header order
};

class Bench {
public:
    Bench(std::wstring archivePath, std::wstring workFolder, int roundCount)
        : archive(std::move(archivePath)), work(std::move(workFolder)), rounds(roundCount)
    {
    }

    // Each round: the listing, the bare walk and the walk keeping entries, each first
    // in turn, nine times each (they take milliseconds: their figures are medians
    // over every repeat of every round), then the walk in extract mode once.
    void Opening()
    {
        std::vector<double> listing, tree, walk, walkKeeping, walkExtract;
        size_t entries = 0, listHeaders = 0, extractHeaders = 0;
        // The first open of the process pays for more than the walk.
        BareWalk(archive, RarOpenMode::List, listHeaders);
        for (int round = 0; round < rounds; ++round) {
            std::vector<double> roundListing, roundTree, roundWalk, roundKeeping;
            for (int repeat = 0; repeat < 9; ++repeat) {
                for (int turn = 0; turn < 3; ++turn) {
                    const int kind = (repeat + turn) % 3;
                    if (kind == 0) {
                        double treeMs = 0;
                        roundListing.push_back(ProgramListing(archive, entries, treeMs));
                        roundTree.push_back(treeMs);
                    } else if (kind == 1) {
                        roundWalk.push_back(BareWalk(archive, RarOpenMode::List, listHeaders));
                    } else {
                        EntryList kept;
                        roundKeeping.push_back(BareWalk(archive, RarOpenMode::List, listHeaders, &kept));
                    }
                }
            }
            walkExtract.push_back(BareWalk(archive, RarOpenMode::Extract, extractHeaders));
            std::printf("  round %d: listing %.2f ms (tree %.2f ms), list-mode walk %.2f ms, keeping entries %.2f "
                        "ms; extract-mode walk %.1f ms\n",
                        round + 1, Median(roundListing), Median(roundTree), Median(roundWalk), Median(roundKeeping),
                        walkExtract.back());
            listing.insert(listing.end(), roundListing.begin(), roundListing.end());
            tree.insert(tree.end(), roundTree.begin(), roundTree.end());
            walk.insert(walk.end(), roundWalk.begin(), roundWalk.end());
            walkKeeping.insert(walkKeeping.end(), roundKeeping.begin(), roundKeeping.end());
            std::fflush(stdout);
        }
        openFigures.listing = Median(listing);
        openFigures.tree = Median(tree);
        openFigures.walk = Median(walk);
        openFigures.walkKeeping = Median(walkKeeping);
        openFigures.extractWalk = Median(walkExtract);
        std::printf("Opening (%zu entries; walks read %zu and %zu headers), medians: listing %.2f ms, list-mode "
                    "walk %.2f ms, listing / walk %.2fx; catalogue's own (entries %.2f ms + tree %.2f ms) / walk "
                    "%.1f %%; listing / (walk + own) %.2fx; extract-mode walk %.1f ms, / listing %.0fx\n\n",
                    entries, listHeaders, extractHeaders, openFigures.listing, openFigures.walk,
                    openFigures.listing / openFigures.walk, openFigures.walkKeeping - openFigures.walk,
                    openFigures.tree, openFigures.OwnShare() * 100, openFigures.listing / openFigures.WithOwn(),
                    openFigures.extractWalk, openFigures.extractWalk / openFigures.listing);
        std::fflush(stdout);
    }

    // Job, stopping loop and full walk `rounds` times each, in turn first.
    void Compare(const Case& selection, const ArchiveCatalogue& catalogue, HWND owner, HWND list,
                 const std::vector<std::wstring>& order, const std::unordered_map<std::wstring, int>& rows)
    {
        ExtractionJob job;
        job.archivePath = archive;
        job.extractMode = ExtractSelected;
        job.updateMode = UpdateReplace;
        job.list = list;
        job.catalogue = &catalogue;
        std::unordered_set<std::wstring> wanted;
        LVITEMW state = {};
        state.stateMask = LVIS_SELECTED;
        ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
        state.state = LVIS_SELECTED;
        for (size_t index : selection.headerIndexes) {
            const int row = rows.at(order[index]);
            ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
            wanted.insert(order[index]);
            job.totalBytes += EntrySize(*catalogue.EntryAtRow(row));
        }

        std::vector<double> jobs, stopping, full;
        for (int round = 0; round < rounds; ++round) {
            for (int turn = 0; turn < 3; ++turn) {
                const int kind = (round + turn) % 3;
                const std::wstring folder = work + L"\\run" + std::to_wstring(++runs);
                int result = 0;
                const double start = Now();
                if (kind == 0) {
                    job.destination = folder;
                    result = static_cast<int>(RunExtractionJob(job, owner));
                } else {
                    result = BareJob(archive, folder, wanted, kind == 1);
                }
                const double ms = Now() - start;
                (kind == 0 ? jobs : kind == 1 ? stopping : full).push_back(ms);
                const int files = RemoveTree(folder);
                static const char* const kinds[] = {"job", "bare, stopping", "bare, full walk"};
                std::printf("  %-24s round %d: %-15s %9.1f ms (result %d, %d files)\n", selection.label, round + 1,
                            kinds[kind], ms, result, files);
                std::fflush(stdout);
            }
        }
        Row row;
        row.label = selection.label;
        row.job = Median(jobs);
        row.stopping = Median(stopping);
        row.full = Median(full);
        results.push_back(row);
        std::printf("%-26s medians: job %.1f ms, bare stopping %.1f ms, bare full walk %.1f ms; "
                    "job / stopping %.2fx, job / full walk %.3fx\n\n",
                    row.label, row.job, row.stopping, row.full, row.job / row.stopping, row.job / row.full);
        std::fflush(stdout);
    }

    void Summary() const
    {
        std::printf("| listing | list-mode walk | listing / walk | catalogue's own / walk | listing / (walk + own) "
                    "| extract-mode walk | extract-mode walk / listing |\n|---|---|---|---|---|---|---|\n");
        std::printf("| %.2f ms | %.2f ms | %.2fx | %.1f %% | %.2fx | %.1f ms | %.0fx |\n\n", openFigures.listing,
                    openFigures.walk, openFigures.listing / openFigures.walk, openFigures.OwnShare() * 100,
                    openFigures.listing / openFigures.WithOwn(), openFigures.extractWalk,
                    openFigures.extractWalk / openFigures.listing);
        std::printf("| job | in the dialog | bare, stopping | bare, full walk | job / stopping | job / full walk "
                    "|\n|---|---|---|---|---|---|\n");
        for (const Row& row : results)
            std::printf("| %s | %.1f ms | %.1f ms | %.1f ms | %.2fx | %.3fx |\n", row.label, row.job, row.stopping,
                        row.full, row.job / row.stopping, row.job / row.full);
    }

private:
    struct Opened {
        double listing = 0;
        double tree = 0;  // BuildFolderTree, inside the listing
        double walk = 0;
        double walkKeeping = 0;
        double extractWalk = 0;
        // The catalogue's own work: making the entries and the tree.
        double WithOwn() const { return walkKeeping + tree; }
        double OwnShare() const { return (WithOwn() - walk) / walk; }
    };
    struct Row {
        const char* label = "";
        double job = 0;
        double stopping = 0;
        double full = 0;
    };

    std::wstring archive;
    std::wstring work;
    int rounds;
    int runs = 0;
    Opened openFigures;
    std::vector<Row> results;
};

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_solid <archive.rar> [rounds]\n");
        return 2;
    }
    const std::wstring archivePath = argv[1];
    const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 3;
    const size_t slash = archivePath.find_last_of(L"\\/");
    const std::wstring work = (slash == std::wstring::npos ? L"." : archivePath.substr(0, slash)) + L"\\work";
    RemoveTree(work);
    ::CreateDirectoryW(work.c_str(), nullptr);

    ::CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    Module().Init(::GetModuleHandleW(nullptr));
    {
        WarmUp(archivePath);
        Bench bench(archivePath, work, rounds);
        std::printf("%d rounds, medians, wall clock.\n\n", rounds);
        bench.Opening();

        // The catalogue as the main window holds it, and the header order of its files.
        ArchiveCatalogue catalogue;
        std::vector<std::wstring> order;
        {
            RarArchive archive;
            EntryList entries;
            ListArchive(archivePath, {}, archive, entries);
            for (const auto& entry : entries)
                if (!entry->isFolder)
                    order.push_back(entry->path);
            catalogue.BuildFolderTree(std::move(entries));
            catalogue.archivePath = archivePath;
        }
        std::unordered_map<std::wstring, int> rows;
        for (int row = 0; row < catalogue.RowCount(); ++row)
            if (const ArchiveEntry* entry = catalogue.EntryAtRow(row))
                rows[entry->path] = row;
        const size_t count = order.size();
        if (count < 10 || rows.size() != count) {
            std::fprintf(stderr, "expected at least 10 files, all at the top level\n");
            return 1;
        }

        HWND owner = ::CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 800, 600,
                                       nullptr, nullptr, nullptr, nullptr);
        HWND list = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 0,
                                      780, 560, owner, nullptr, nullptr, nullptr);
        ::SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(catalogue.RowCount()), 0);

        // Ten rows spread over the first tenth, the last of them at its end.
        Case firstTenth{"10 rows of the first tenth", {}};
        for (size_t i = 1; i <= 10; ++i)
            firstTenth.headerIndexes.push_back(i * (count / 10) / 10 - 1);
        const Case cases[] = {
            {"first file", {0}},
            {"middle file", {count / 2}},
            {"last file", {count - 1}},
            firstTenth,
        };
        std::printf("Jobs: Selected files only, Replace; %zu files in header order.\n\n", count);
        for (const Case& selection : cases)
            bench.Compare(selection, catalogue, owner, list, order, rows);
        bench.Summary();
        ::DestroyWindow(owner);
    }
    RemoveTree(work);
    Module().Term();
    ::CoUninitialize();
    return 0;
}
