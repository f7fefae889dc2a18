// Opening an archive on a worker thread: the window answers meanwhile, a long
// open shows its progress and can be cancelled, and what the user is asked and
// told comes as before. The walk is made slow through the listing's step seam.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "MainFrameTesting.h"
#include "RarCraft.h"
#include "RarFixture.h"
#include "catalogue/ArchiveListing.h"
#include "framework/Handles.h"
#include "res/resource.h"

namespace {

using Names = std::vector<std::wstring>;

constexpr wchar_t kOpeningCaption[] = L"Opening archive";

// Every entry read takes `ms` more on the listing's thread.
class SlowWalk {
public:
    explicit SlowWalk(DWORD ms)
    {
        stepMs = ms;
        previous = SetListingStepSeam(&Step);
    }
    ~SlowWalk() { SetListingStepSeam(previous); }
    SlowWalk(const SlowWalk&) = delete;
    SlowWalk& operator=(const SlowWalk&) = delete;

private:
    static void Step(size_t) { ::Sleep(stepMs.load()); }

    static inline std::atomic<DWORD> stepMs{0};
    ListingStepSeam previous;
};

// The walk stops after its first entry, as in a read that does not come back,
// until released.
class StuckWalk {
public:
    StuckWalk() : release(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
        releaseEvent = release.get();
        previous = SetListingStepSeam(&Step);
    }
    ~StuckWalk()
    {
        Release();
        SetListingStepSeam(previous);
    }
    StuckWalk(const StuckWalk&) = delete;
    StuckWalk& operator=(const StuckWalk&) = delete;

    bool Stuck() const { return inside.load(); }
    void Release()
    {
        ::SetEvent(release.get());
        WaitUntil([] { return !inside.load(); }, 5000);
    }

private:
    static void Step(size_t)
    {
        inside = true;
        ::WaitForSingleObject(releaseEvent, 20000);
        inside = false;
    }

    static inline std::atomic<bool> inside{false};
    static inline HANDLE releaseEvent = nullptr;
    UniqueKernelHandle release;
    ListingStepSeam previous;
};

// Counts the windows made with a caption while it lives.
class WindowsMade {
public:
    explicit WindowsMade(std::wstring watched)
    {
        caption = std::move(watched);
        count = 0;
        hook = ::SetWindowsHookExW(WH_CBT, &Watch, nullptr, ::GetCurrentThreadId());
    }
    ~WindowsMade() { ::UnhookWindowsHookEx(hook); }
    WindowsMade(const WindowsMade&) = delete;
    WindowsMade& operator=(const WindowsMade&) = delete;

    int Count() const { return count; }

private:
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND) {
            const CREATESTRUCTW* made = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
            if (made->lpszName && !IS_INTRESOURCE(made->lpszName) && caption == made->lpszName)
                ++count;
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline std::wstring caption;
    static inline int count = 0;
    HHOOK hook = nullptr;
};

class MainFrameOpening : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!RarFixture::Available())
            GTEST_SKIP() << "rar cannot be run from here";
        fixture.WriteFile(L"docs\\readme.txt", "readme");
        fixture.WriteFile(L"docs\\guide.txt", "guide");
        fixture.WriteFile(L"alpha.txt", "alpha");
        archive = fixture.MakeArchive(L"slow.rar");
        ASSERT_FALSE(archive.empty());
    }

    void TearDown() override { EXPECT_TRUE(driver.AllAnswered()); }

    DialogDriver driver;
    RarFixture fixture;
    std::wstring archive;
    ShownMainFrame shown;
};

}  // namespace

TEST_F(MainFrameOpening, OnlyAnOpenLongerThanTheDelayShowsItsProgressThenTheList)
{
    {
        WindowsMade progressWindows(kOpeningCaption);
        EXPECT_EQ(1, shown.Frame().OpenArchive(archive));
        EXPECT_EQ(0, progressWindows.Count());
    }

    SlowWalk slow(250);
    HWND owner = nullptr;
    bool frameEnabled = true;
    std::wstring name;
    std::wstring count;
    driver.Expect(kOpeningCaption, [&](DialogDriver::Dialog& progress) {
        owner = GetWindow(progress.Handle(), GW_OWNER);
        frameEnabled = IsWindowEnabled(shown.Window()) != FALSE;
        name = progress.Text(IDC_OPENING_NAME);
        count = progress.Text(IDC_OPENING_COUNT);
    });
    EXPECT_EQ(1, shown.Frame().OpenArchive(archive));
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(shown.Window(), owner);
    EXPECT_FALSE(frameEnabled);
    EXPECT_EQ(L"slow.rar", name);
    EXPECT_EQ(0u, count.rfind(L"Entries read: ", 0)) << RarFixture::ToUtf8(count);
    EXPECT_EQ(nullptr, FindWindowW(L"#32770", kOpeningCaption));
    EXPECT_TRUE(IsWindowEnabled(shown.Window()));
    EXPECT_EQ((Names{L"docs", L"alpha.txt"}), shown.RowNames());
    EXPECT_EQ(L"Quillet - [" + archive + L"]", shown.Title());
}

// Cancel ends the open as a refused one ends, without waiting for a read that
// does not come back and without a box.
TEST_F(MainFrameOpening, CancelInASlowReadKeepsTheEarlierCatalogueWithoutABox)
{
    ASSERT_EQ(1, shown.Frame().OpenArchive(archive));
    shown.DoubleClick(shown.RowNamed(L"docs"));
    fixture.WriteFile(L"other.txt", "other");
    const std::wstring other = fixture.MakeArchive(L"other.rar", L"", L"other.txt");

    StuckWalk stuck;
    driver.Expect(kOpeningCaption, [](DialogDriver::Dialog& progress) { progress.Press(IDCANCEL); });
    EXPECT_EQ(-1, shown.Frame().OpenArchive(other));
    EXPECT_TRUE(stuck.Stuck());
    stuck.Release();

    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(archive, shown.Frame().Catalogue().archivePath);
    ASSERT_NE(nullptr, shown.Frame().Catalogue().currentFolder);
    EXPECT_EQ(L"docs", shown.Frame().Catalogue().currentFolder->path);
    EXPECT_EQ(L"Quillet", shown.Title());
    EXPECT_EQ(0, shown.RowCount());
    EXPECT_TRUE(IsWindowEnabled(shown.Window()));
}

TEST_F(MainFrameOpening, ADamagedArchiveShowsItsMessageBeforeItsRows)
{
    const std::wstring damaged = fixture.MakeArchive(L"damaged.rar", L"-r -qo-");
    std::string error;
    ASSERT_TRUE(rar5::EditArchive(
        damaged, [](rar5::Archive& a) { a.Files().back().damage = rar5::Damage::ZeroSize; }, &error))
        << error;
    HWND owner = nullptr;
    int rowsDuringTheBox = -1;
    driver.Expect(L"Error", [&](DialogDriver::Dialog& box) {
        EXPECT_EQ(L"File header broken.", box.MessageText());
        owner = GetWindow(box.Handle(), GW_OWNER);
        rowsDuringTheBox = shown.RowCount();
        box.Press(IDOK);
    });
    EXPECT_EQ(1, shown.Frame().OpenArchive(damaged));
    EXPECT_EQ(shown.Window(), owner);
    EXPECT_EQ(0, rowsDuringTheBox);
    EXPECT_LT(0, shown.RowCount());
}
