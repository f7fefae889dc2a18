// After 200 cycles of opening an archive, browsing its folders and extracting it
// (with an opened entry, a damaged archive and a password prompt now and then),
// the process holds what it held before within a small margin: kernel handles,
// threads (no job's worker is left behind), GDI and USER objects.

#include "HostileTesting.h"
#include "ProcessResources.h"
#include "RecordingShellOpener.h"

#include "extract/DlgProgress.h"

#include <cstdlib>

namespace {

constexpr int kCycles = 200;
constexpr int kWarmUpCycles = 5;
// Wine and the C runtime grow some tables in steps; anything that grows with the
// cycles goes far past these.
constexpr DWORD kHandleMargin = 8;
constexpr DWORD kObjectMargin = 4;

DWORD WINAPI WaitForStop(void* stop)
{
    return ::WaitForSingleObject(stop, INFINITE);
}

// Some objects, made once, the process keeps (a class's first window, an icon
// loaded from the system): the second round of the same work is measured.
ProcessResources MakeAndFreeSome(ProcessResources* during)
{
    std::vector<HBRUSH> brushes;
    for (int i = 0; i < 5; ++i)
        brushes.push_back(::CreateSolidBrush(RGB(i, 0, 0)));
    HWND window =
        ::CreateWindowExW(0, L"STATIC", L"counted", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HMENU menu = ::CreateMenu();
    HICON icon = ::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION));
    HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = ::CreateThread(nullptr, 0, &WaitForStop, stop, 0, nullptr);
    if (during)
        *during = MeasureProcessResources();
    ::SetEvent(stop);
    ::WaitForSingleObject(thread, 5000);
    ::CloseHandle(thread);
    ::CloseHandle(stop);
    ::CloseHandle(event);
    ::DestroyIcon(icon);
    ::DestroyMenu(menu);
    ::DestroyWindow(window);
    for (HBRUSH brush : brushes)
        ::DeleteObject(brush);
    return MeasureProcessResources();
}

TEST(ProcessResourceCounts, SeeWhatIsMadeAndFreed)
{
    const ProcessResources before = MakeAndFreeSome(nullptr);
    ProcessResources during;
    const ProcessResources after = MakeAndFreeSome(&during);
    // A window brings GDI objects of its own, an icon copy more than one handle.
    EXPECT_GE(during.gdiObjects, before.gdiObjects + 5) << during.Describe();
    EXPECT_GE(during.userObjects, before.userObjects + 3) << during.Describe();
    EXPECT_EQ(during.handles, before.handles + 3) << during.Describe();
    EXPECT_EQ(during.threads, before.threads + 1) << during.Describe();
    EXPECT_EQ(after.gdiObjects, before.gdiObjects) << after.Describe();
    EXPECT_EQ(after.userObjects, before.userObjects) << after.Describe();
    EXPECT_EQ(after.handles, before.handles) << after.Describe();
    EXPECT_EQ(after.threads, before.threads) << after.Describe();
}

class ResourceHygiene : public HostileArchiveTest {
protected:
    ResourceHygiene() { testTimeoutMs = 170000; }
};

TEST_F(ResourceHygiene, TwoHundredCyclesOfOpenBrowseAndExtract)
{
    fixture.WriteFile(L"docs\\sub\\deep.txt", std::string(3000, 'd'));
    fixture.WriteFile(L"docs\\a.txt", "a");
    fixture.WriteFile(L"top.txt", std::string(20000, 't'));
    const std::wstring archive = Make(L"cycle.rar", L"-r -m3 -qo-", L"docs top.txt");
    const std::wstring encrypted = Make(L"encrypted.rar", L"-r -m3 -pcycle", L"top.txt");
    // Listed up to a broken header, with its message each time.
    const std::wstring damaged = Work(L"damaged.rar");
    ASSERT_TRUE(::CopyFileW(archive.c_str(), damaged.c_str(), FALSE));
    std::string error;
    ASSERT_TRUE(rar5::EditArchive(
        damaged, [](rar5::Archive& a) { a.Files().at(1).damage = rar5::Damage::ZeroSize; }, &error))
        << error;
    const ShownBoxes damagedBoxes = ExpectedListingBoxes(WalkForListing(damaged, L""));
    ASSERT_EQ(damagedBoxes.size(), 1u);

    Show(archive);
    CMainFrame& frame = shown->Frame();
    RecordingShellOpener shell;
    ProcessResources baseline;
    for (int cycle = 0; cycle < kWarmUpCycles + kCycles; ++cycle) {
        if (cycle == kWarmUpCycles)
            baseline = MeasureProcessResources();
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        ASSERT_EQ(frame.OpenArchive(archive), 1);
        ASSERT_NO_FATAL_FAILURE(Activate(L"docs"));
        ASSERT_NO_FATAL_FAILURE(Activate(L"sub"));
        ASSERT_NO_FATAL_FAILURE(Activate(L".."));
        ASSERT_NO_FATAL_FAILURE(Activate(L".."));
        const std::wstring destination = Work(L"dest\\" + std::to_wstring(cycle % 4));
        ASSERT_EQ(RunExtractionJob(shown->JobInto(destination), frame.handle), IDOK);
        // The job's worker has ended with its dialog.
        if (cycle >= kWarmUpCycles) {
            ASSERT_EQ(ThreadCount(), baseline.threads);
        }
        if (cycle % 10 == 0) {
            ASSERT_NO_FATAL_FAILURE(Activate(L"top.txt"));
            ExpectBoxes(damagedBoxes);
            ASSERT_EQ(frame.OpenArchive(damaged), 1);
            AnswerPassword(L"cycle");
            ASSERT_EQ(frame.OpenArchive(encrypted), 1);
            ASSERT_EQ(RunExtractionJob(shown->JobInto(Work(L"dest\\encrypted")), frame.handle), IDOK);
            ASSERT_TRUE(driver->AllAnswered());
        }
    }
    ASSERT_EQ(frame.OpenArchive(archive), 1);
    PumpMessagesFor(50);
    const ProcessResources after = MeasureProcessResources();
    std::printf("RESOURCES\tbefore\t%s\nRESOURCES\tafter\t%s\n", baseline.Describe().c_str(), after.Describe().c_str());
    EXPECT_LE(after.handles, baseline.handles + kHandleMargin) << after.Describe();
    EXPECT_EQ(after.threads, baseline.threads) << after.Describe();
    EXPECT_LE(after.gdiObjects, baseline.gdiObjects + kObjectMargin) << after.Describe();
    EXPECT_LE(after.userObjects, baseline.userObjects + kObjectMargin) << after.Describe();
    EXPECT_LE(after.systemGdi, baseline.systemGdi + kObjectMargin);
    EXPECT_LE(after.systemUser, baseline.systemUser + kObjectMargin);
    EXPECT_EQ(shell.Calls().size(), static_cast<size_t>(kCycles + kWarmUpCycles + 9) / 10);
    EXPECT_TRUE(driver->AllAnswered());
}

}  // namespace
