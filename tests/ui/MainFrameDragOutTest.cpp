// Dragging rows out of the main window's list: the selected entries are extracted
// into the archive's temporary folder and offered to drop targets as files.
#include "FrameExtractTesting.h"
#include "ProgressEntryLog.h"
#include "RecordingDragStarter.h"

#include "framework/Handles.h"

namespace {

using Paths = std::vector<std::wstring>;

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
        notice.iItem = static_cast<int>(SendMessageW(shown->List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                     LVNI_SELECTED));
        return SendMessageW(shown->Window(), WM_NOTIFY, notice.hdr.idFrom, reinterpret_cast<LPARAM>(&notice));
    }

    RecordingDragStarter drags;
    ProgressEntryLog log;
};

TEST_F(MainFrameDragOut, SelectedFilesAreExtractedAndOfferedAsFilesToCopy)
{
    ASSERT_NO_FATAL_FAILURE(ShowBrowseArchive());
    ASSERT_NO_FATAL_FAILURE(SelectNamed({L"beta.txt", L"alpha.txt"}));
    BeginDrag();

    ASSERT_EQ(drags.Drags().size(), 1u);
    const RecordingDragStarter::Drag drag = drags.Drags()[0];
    EXPECT_EQ(drag.allowedEffects, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(drag.formats, std::vector<CLIPFORMAT>{CF_HDROP});
    EXPECT_EQ(drag.fileDropQuery, S_OK);
    // In row order.
    EXPECT_EQ(drag.files, (Paths{Temp(L"browse-quillet\\alpha.txt"), Temp(L"browse-quillet\\beta.txt")}));
    EXPECT_EQ(ReadWholeFile(Temp(L"browse-quillet\\alpha.txt")), "alpha");
    EXPECT_EQ(ReadWholeFile(Temp(L"browse-quillet\\beta.txt")), "beta");
    EXPECT_EQ(GetFileAttributesW(Temp(L"browse-quillet\\docs").c_str()), INVALID_FILE_ATTRIBUTES);
    // The button going up drops, Esc cancels.
    EXPECT_EQ(drag.whileHeld, S_OK);
    EXPECT_EQ(drag.onRelease, DRAGDROP_S_DROP);
    EXPECT_EQ(drag.onEscape, DRAGDROP_S_CANCEL);

    // Dragged again, what is there is kept.
    {
        const UniqueKernelHandle file(CreateFileW(drag.files[0].c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        WriteFile(file.get(), "edited", 6, &written, nullptr);
    }
    BeginDrag();
    ASSERT_EQ(drags.Drags().size(), 2u);
    EXPECT_EQ(drags.Drags()[1].files, drag.files);
    EXPECT_EQ(ReadWholeFile(drag.files[0]), "edited");
}

TEST_F(MainFrameDragOut, AFolderIsOfferedWithEverythingBelowIt)
{
    ASSERT_NO_FATAL_FAILURE(ShowBrowseArchive());
    ASSERT_NO_FATAL_FAILURE(SelectNamed({L"docs"}));
    BeginDrag();

    ASSERT_EQ(drags.Drags().size(), 1u);
    EXPECT_EQ(drags.Drags()[0].files, Paths{Temp(L"browse-quillet\\docs")});
    EXPECT_EQ(ReadWholeFile(Temp(L"browse-quillet\\docs\\readme.txt")), "readme");
    EXPECT_EQ(ReadWholeFile(Temp(L"browse-quillet\\docs\\guide\\intro.txt")), "intro");
    EXPECT_EQ(GetFileAttributesW(Temp(L"browse-quillet\\alpha.txt").c_str()), INVALID_FILE_ATTRIBUTES);
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
    EXPECT_EQ(drags.Drags()[0].files,
              (Paths{Temp(L"browse-quillet\\docs\\guide"), Temp(L"browse-quillet\\docs\\readme.txt")}));
    EXPECT_EQ(ReadWholeFile(Temp(L"browse-quillet\\docs\\guide\\intro.txt")), "intro");
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
    EXPECT_EQ(GetFileAttributesW(Temp(L"browse-quillet").c_str()), INVALID_FILE_ATTRIBUTES);
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
    EXPECT_EQ(GetFileAttributesW(Temp(L"links-quillet").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
