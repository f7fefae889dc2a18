// Files dropped on the list: real drop blocks, through the frame's filter and the
// program's own message loop.
#include "FrameExtractTesting.h"

#include "extract/DragOutData.h"
#include "framework/MessageLoop.h"

#include <shellapi.h>

namespace {

using Paths = std::vector<std::wstring>;

class MainFrameDrop : public FrameExtractTest {
protected:
    void SetUp() override
    {
        FrameExtractTest::SetUp();
        if (IsSkipped())
            return;
        for (const wchar_t* name : {L"first", L"second", L"third"}) {
            fixture.WriteFile(std::wstring(name) + L".txt", "text");
            archives.push_back(fixture.MakeArchive(std::wstring(name) + L".rar", L"-r", std::wstring(name) + L".txt"));
            ASSERT_FALSE(archives.back().empty());
        }
    }

    void ShowEmpty(const AppSettings& settings = AppSettings()) { shown = std::make_unique<ShownMainFrame>(settings); }

    // A drop block as the shell makes it, handed over with the message.
    static MSG DropOn(HWND window, const Paths& paths)
    {
        UniqueGlobal block = MakeFileDropBlock(paths);
        EXPECT_TRUE(block);
        return MSG{window, WM_DROPFILES, reinterpret_cast<WPARAM>(block.release()), 0, 0, {0, 0}};
    }

    std::wstring TitleFor(const std::wstring& archive) const { return L"Quillet - [" + archive + L"]"; }

    // Runs the program's loop, with the frame as its filter, for `ms`.
    void RunLoopFor(UINT ms)
    {
        CMessageLoop loop;
        loop.AddMessageFilter(&shown->Frame());
        const UINT_PTR timer = SetTimer(nullptr, 0, ms, &QuitLoop);
        loop.Run();
        KillTimer(nullptr, timer);
        loop.RemoveMessageFilter(&shown->Frame());
    }

    static void CALLBACK QuitLoop(HWND, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(nullptr, id);
        PostQuitMessage(0);
    }

    std::vector<std::wstring> archives;
};

TEST_F(MainFrameDrop, WithDragDropOffTheListRefusesDropsAndSwallowsThem)
{
    AppSettings settings;
    settings.DragDrop = 0;
    ShowEmpty(settings);
    EXPECT_EQ(GetWindowLongW(shown->List(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);

    MSG drop = DropOn(shown->List(), {archives[0]});
    EXPECT_TRUE(shown->Frame().FilterMessage(&drop));
    EXPECT_EQ(shown->Title(), L"Quillet");
    EXPECT_EQ(shown->RowCount(), 0);
    // Released all the same.
    EXPECT_EQ(GlobalSize(reinterpret_cast<HGLOBAL>(drop.wParam)), 0u);
}

TEST_F(MainFrameDrop, OfThreeDroppedFilesTheFirstIsOpened)
{
    ShowEmpty();
    MSG drop = DropOn(shown->List(), archives);
    EXPECT_TRUE(shown->Frame().FilterMessage(&drop));
    EXPECT_EQ(shown->Title(), TitleFor(archives[0]));
    EXPECT_EQ(shown->RowNames(), Paths{L"first.txt"});

    // Dropped on anything but the list, it is not the frame's.
    MSG elsewhere = DropOn(shown->Window(), {archives[1]});
    EXPECT_FALSE(shown->Frame().FilterMessage(&elsewhere));
    DragFinish(reinterpret_cast<HDROP>(elsewhere.wParam));
    EXPECT_EQ(shown->Title(), TitleFor(archives[0]));
}

TEST_F(MainFrameDrop, ADroppedFolderOrNonArchiveFailsWithItsMessage)
{
    ShowEmpty();
    fixture.WriteFile(L"plain.txt", "not an archive at all");
    ExpectErrorBox(L"Volume open error.");
    MSG folder = DropOn(shown->List(), {fixture.Folder()});
    EXPECT_TRUE(shown->Frame().FilterMessage(&folder));
    EXPECT_EQ(shown->Title(), L"Quillet");

    ExpectErrorBox(L"Bad archive.");
    MSG plain = DropOn(shown->List(), {fixture.InputPath(L"plain.txt")});
    EXPECT_TRUE(shown->Frame().FilterMessage(&plain));
    EXPECT_EQ(shown->Title(), L"Quillet");
    EXPECT_EQ(shown->RowCount(), 0);
}

TEST_F(MainFrameDrop, ADropDuringAModalDialogIsIgnoredAndReleased)
{
    ShowEmpty();
    // Through the loop, a drop on the list opens the archive...
    MSG drop = DropOn(shown->List(), {archives[1]});
    PostMessageW(drop.hwnd, drop.message, drop.wParam, drop.lParam);
    RunLoopFor(300);
    EXPECT_EQ(shown->Title(), TitleFor(archives[1]));

    // ...but while the About box runs its own loop, the frame's filter is not asked.
    HGLOBAL ignored = nullptr;
    driver.Expect(L"About Quillet...", [&](DialogDriver::Dialog& about) {
        MSG late = DropOn(shown->List(), {archives[2]});
        ignored = reinterpret_cast<HGLOBAL>(late.wParam);
        // Dispatched by the box's loop before the click that ends it.
        PostMessageW(late.hwnd, late.message, late.wParam, late.lParam);
        about.Press(IDOK);
    });
    PostMessageW(shown->Window(), WM_COMMAND, static_cast<WPARAM>(shown->Frame().AboutButtonId()), 0);
    RunLoopFor(1500);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(shown->Title(), TitleFor(archives[1]));
    // Opened nothing, and the drop's block is freed (DragFinish) all the same.
    ASSERT_NE(ignored, nullptr);
    EXPECT_EQ(GlobalSize(ignored), 0u);
}

}  // namespace
