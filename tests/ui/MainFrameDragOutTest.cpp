// Dragging rows out of the main window's list: the selected entries are extracted
// into a folder of the drag's own and offered to drop targets as files.
#include "FrameExtractTesting.h"
#include "ProgressEntryLog.h"
#include "RecordingDragStarter.h"
#include "DiskFiles.h"

#include "extract/DragFolders.h"
#include "framework/Handles.h"

#include <algorithm>

namespace {

using Paths = std::vector<std::wstring>;
using Names = std::vector<std::wstring>;

class MainFrameDragOut : public FrameExtractTest {
protected:
    void ShowBrowseArchive(const AppSettings& settings = AppSettings())
    {
        fixture.WriteFile(L"docs\\guide\\intro.txt", "intro");
        fixture.WriteFile(L"docs\\readme.txt", "readme");
        fixture.WriteFile(L"alpha.txt", "alpha");
        fixture.WriteFile(L"beta.txt", "beta");
        ASSERT_NO_FATAL_FAILURE(Show(fixture.MakeArchive(L"browse.rar"), settings));
    }

    void SelectNamed(const std::vector<std::wstring>& names)
    {
        for (const std::wstring& name : names) {
            const int row = shown->RowNamed(name);
            ASSERT_GE(row, 0);
            shown->Select(row);
        }
    }

    // The list's notification for a drag that starts on its first selected row.
    LRESULT BeginDrag()
    {
        NMLISTVIEW notice = {};
        notice.hdr.hwndFrom = shown->List();
        notice.hdr.idFrom = static_cast<UINT_PTR>(shown->Frame().ListId());
        notice.hdr.code = LVN_BEGINDRAG;
        notice.iItem =
            static_cast<int>(SendMessageW(shown->List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        return SendMessageW(shown->Window(), WM_NOTIFY, notice.hdr.idFrom, reinterpret_cast<LPARAM>(&notice));
    }

    static std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }
    static std::wstring FolderName(const std::wstring& path)
    {
        const std::wstring folder = FolderOf(path);
        return folder.substr(folder.rfind(L'\\') + 1);
    }

    // The drags' own folders and their markers left in the temporary folder, by name.
    Names DragFolders() const
    {
        Names folders;
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((temp + L"\\*-quillet-drag-*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return folders;
        do
            folders.push_back(found.cFileName);
        while (FindNextFileW(search, &found));
        FindClose(search);
        std::sort(folders.begin(), folders.end());
        return folders;
    }

    RecordingDragStarter drags;
    ProgressEntryLog log;
};

TEST_F(MainFrameDragOut, SelectedFilesAreExtractedIntoAFolderOfTheDragsOwnAndOfferedAsFilesToCopy)
{
    ASSERT_NO_FATAL_FAILURE(ShowBrowseArchive());
    // An edited copy in the shared folder, as a double-click may leave one: not this drag's.
    WriteFileAt(Temp(L"browse-quillet\\alpha.txt"), "edited");
    ASSERT_NO_FATAL_FAILURE(SelectNamed({L"beta.txt", L"alpha.txt"}));
    BeginDrag();

    ASSERT_EQ(drags.Drags().size(), 1u);
    const RecordingDragStarter::Drag drag = drags.Drags()[0];
    EXPECT_EQ(drag.allowedEffects, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(drag.formats, std::vector<CLIPFORMAT>{CF_HDROP});
    EXPECT_EQ(drag.fileDropQuery, S_OK);
    // In row order, from the archive, in a folder made for the drag.
    ASSERT_EQ(drag.files.size(), 2u);
    const std::wstring folder = FolderOf(drag.files[0]);
    EXPECT_EQ(folder.rfind(Temp(L"browse-quillet-drag-"), 0), 0u) << folder;
    EXPECT_EQ(drag.files, (Paths{folder + L"\\alpha.txt", folder + L"\\beta.txt"}));
    EXPECT_EQ(drag.contents, (std::vector<std::string>{"alpha", "beta"}));
    // The button going up drops, Esc cancels.
    EXPECT_EQ(drag.whileHeld, S_OK);
    EXPECT_EQ(drag.onRelease, DRAGDROP_S_DROP);
    EXPECT_EQ(drag.onEscape, DRAGDROP_S_CANCEL);
    // The target may read the files long after the drop: they stay, marked as this
    // running Quillet's, for a later start to remove. The shared folder is untouched.
    EXPECT_EQ(ReadWholeFile(folder + L"\\beta.txt"), "beta");
    RemoveLeftoverDragFolders();
    EXPECT_EQ(ReadWholeFile(folder + L"\\beta.txt"), "beta");
    EXPECT_NE(GetFileAttributesW(DragFolderMarker(folder).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadWholeFile(Temp(L"browse-quillet\\alpha.txt")), "edited");

    // Each drag has a folder of its own.
    BeginDrag();
    ASSERT_EQ(drags.Drags().size(), 2u);
    ASSERT_EQ(drags.Drags()[1].files.size(), 2u);
    EXPECT_NE(FolderOf(drags.Drags()[1].files[0]), folder);
    EXPECT_EQ(drags.Drags()[1].contents, drag.contents);
}

TEST_F(MainFrameDragOut, AFolderIsOfferedWithEverythingBelowItAndNothingElse)
{
    ASSERT_NO_FATAL_FAILURE(ShowBrowseArchive());
    ASSERT_NO_FATAL_FAILURE(SelectNamed({L"docs"}));
    // What lay in the shared folder's docs before does not come along.
    WriteFileAt(Temp(L"browse-quillet\\docs\\stray.txt"), "stray");
    Names below;
    drags.During([&below](const RecordingDragStarter::Drag& drag) {
        if (drag.files.size() == 1)
            below = TreePaths(ReadTree(drag.files[0]));
    });
    BeginDrag();

    ASSERT_EQ(drags.Drags().size(), 1u);
    ASSERT_EQ(drags.Drags()[0].files.size(), 1u);
    EXPECT_EQ(drags.Drags()[0].files[0], FolderOf(drags.Drags()[0].files[0]) + L"\\docs");
    EXPECT_EQ(below, (Names{L"guide\\", L"guide\\intro.txt", L"readme.txt"}));
}

TEST_F(MainFrameDragOut, AButtonReleasedDuringTheExtractionStartsNoDrag)
{
    ASSERT_NO_FATAL_FAILURE(ShowBrowseArchive());
    ASSERT_NO_FATAL_FAILURE(SelectNamed({L"alpha.txt"}));
    drags.SetButtonHeld(false);
    BeginDrag();
    EXPECT_TRUE(drags.Drags().empty());
    EXPECT_EQ(log.NamesShownAs(L"Extracting file"), Names{L"alpha.txt"});
    EXPECT_TRUE(DragFolders().empty());
}

// A shell target may copy on after the drop: the folder stays until it reports the
// end, and also when the data object goes first (as when Quillet closes); a drag that
// drops nothing takes its folder along at once.
TEST_F(MainFrameDragOut, TheFolderStaysUntilAnAsynchronousCopyEndsAndGoesWithACancelledDrag)
{
    ASSERT_NO_FATAL_FAILURE(ShowBrowseArchive());
    ASSERT_NO_FATAL_FAILURE(SelectNamed({L"alpha.txt"}));
    drags.TakeDropsAsynchronously();
    BeginDrag();
    drags.ReleaseAsyncDropsUnended();
    ASSERT_EQ(drags.Drags().size(), 1u);
    const std::wstring kept = drags.Drags()[0].files[0];
    EXPECT_EQ(ReadWholeFile(kept), "alpha");

    BeginDrag();
    ASSERT_EQ(drags.Drags().size(), 2u);
    const std::wstring ended = drags.Drags()[1].files[0];
    EXPECT_EQ(ReadWholeFile(ended), "alpha");
    drags.EndAsyncDrops();
    EXPECT_EQ(GetFileAttributesW(ended.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadWholeFile(kept), "alpha");

    drags.CancelDrops();
    BeginDrag();
    ASSERT_EQ(drags.Drags().size(), 3u);
    EXPECT_EQ(GetFileAttributesW(drags.Drags()[2].files[0].c_str()), INVALID_FILE_ATTRIBUTES);
    // What is left: the first drag's folder and its marker.
    EXPECT_EQ(DragFolders(), (Names{FolderName(kept), FolderName(kept) + L".lock"}));
}

TEST_F(MainFrameDragOut, TheParentRowDragsNothing)
{
    ASSERT_NO_FATAL_FAILURE(ShowBrowseArchive());
    shown->DoubleClick(shown->RowNamed(L"docs"));
    ASSERT_EQ(shown->CellText(0, 0), L"..");

    shown->Select(0);
    BeginDrag();
    EXPECT_TRUE(drags.Drags().empty());
    EXPECT_TRUE(log.Entries().empty());

    // Among other rows it is passed over.
    for (int row = 0; row < shown->RowCount(); ++row)
        shown->Select(row);
    BeginDrag();
    ASSERT_EQ(drags.Drags().size(), 1u);
    const std::wstring folder = FolderOf(FolderOf(drags.Drags()[0].files.at(0)));
    EXPECT_EQ(drags.Drags()[0].files, (Paths{folder + L"\\docs\\guide", folder + L"\\docs\\readme.txt"}));
}

TEST_F(MainFrameDragOut, NothingHappensWithoutASelectionOrWithDragDropOff)
{
    ASSERT_NO_FATAL_FAILURE(ShowBrowseArchive());
    BeginDrag();
    EXPECT_TRUE(drags.Drags().empty());
    EXPECT_TRUE(log.Entries().empty());

    shown->Settings().DragDrop = 0;
    ASSERT_NO_FATAL_FAILURE(SelectNamed({L"alpha.txt"}));
    EXPECT_EQ(BeginDrag(), 1);
    EXPECT_TRUE(drags.Drags().empty());
    EXPECT_TRUE(log.Entries().empty());
    EXPECT_TRUE(DragFolders().empty());
}

TEST_F(MainFrameDragOut, AFolderHoldingALinkIsRefusedWithItsMessage)
{
    fixture.WriteFile(L"dir\\target.txt", "target");
    ASSERT_EQ(fixture.Shell(L"ln -s target.txt dir/link.txt").exitCode, 0);
    ASSERT_NO_FATAL_FAILURE(Show(fixture.MakeArchive(L"links.rar", L"-ol -r")));
    ASSERT_NO_FATAL_FAILURE(SelectNamed({L"dir"}));

    ExpectErrorBox(L"This entry cannot be opened because its name is unsafe.");
    BeginDrag();
    EXPECT_TRUE(drags.Drags().empty());
    EXPECT_TRUE(log.Entries().empty());
    EXPECT_TRUE(DragFolders().empty());
}

}  // namespace
