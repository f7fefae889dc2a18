// An archive that came from the internet gives its mark to every file Quillet
// writes from it: unpacked, opened or dragged out. Under Wine a stream
// "file:Zone.Identifier" is a file of that name beside the file.
#include "DiskFiles.h"
#include "FrameExtractTesting.h"
#include "RecordingDragStarter.h"
#include "RecordingShellOpener.h"

#include "res/resource.h"

namespace {

const std::string kInternetZone = "[ZoneTransfer]\r\nZoneId=3\r\nHostUrl=https://example.invalid/web.rar\r\n";

std::string MarkOf(const std::wstring& path)
{
    return ReadWholeFile(path + L":Zone.Identifier");
}

class MainFrameMarkOfTheWeb : public FrameExtractTest {
protected:
    std::wstring MakeArchive(const std::wstring& name, const std::string& mark)
    {
        fixture.WriteFile(L"docs\\a.txt", "alpha");
        fixture.WriteFile(L"notes.txt", "notes");
        const std::wstring archive = fixture.MakeArchive(name);
        if (!mark.empty())
            WriteFileAt(archive + L":Zone.Identifier", mark);
        return archive;
    }

    // Unpack with "All files" into `destination`, as the user does it.
    void Unpack(const std::wstring& destination)
    {
        driver.Expect(L"Unpack", [destination](DialogDriver::Dialog& unpack) {
            unpack.SetText(IDC_DESTINATION, destination);
            unpack.Press(IDOK);
        });
        driver.Expect(L"Unpack", [](DialogDriver::Dialog& unpack) { unpack.Press(IDCANCEL); });
        SendMessageW(shown->Window(), WM_COMMAND, static_cast<WPARAM>(shown->Frame().UnpackButtonId()), 0);
        EXPECT_TRUE(driver.AllAnswered());
    }

    RecordingShellOpener shell;
    RecordingDragStarter drags;
};

TEST_F(MainFrameMarkOfTheWeb, EveryFileUnpackedOpenedOrDraggedCarriesTheArchivesMark)
{
    ASSERT_NO_FATAL_FAILURE(Show(MakeArchive(L"web.rar", kInternetZone)));
    const std::wstring destination = fixture.Folder() + L"\\unpacked";
    Unpack(destination);
    EXPECT_EQ(ReadWholeFile(destination + L"\\notes.txt"), "notes");
    EXPECT_EQ(MarkOf(destination + L"\\notes.txt"), kInternetZone);
    EXPECT_EQ(MarkOf(destination + L"\\docs\\a.txt"), kInternetZone);
    EXPECT_EQ(MarkOf(destination + L"\\docs"), "");  // folders carry none

    shown->DoubleClick(shown->RowNamed(L"notes.txt"));
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(MarkOf(shell.Calls()[0].file), kInternetZone);

    shown->Select(shown->RowNamed(L"notes.txt"), false);
    shown->Select(shown->RowNamed(L"docs"));
    std::string draggedMark;
    drags.During([&draggedMark](const RecordingDragStarter::Drag& drag) {
        draggedMark = MarkOf(drag.files.at(0) + L"\\a.txt");
    });
    NMLISTVIEW notice = {};
    notice.hdr.hwndFrom = shown->List();
    notice.hdr.idFrom = static_cast<UINT_PTR>(shown->Frame().ListId());
    notice.hdr.code = LVN_BEGINDRAG;
    SendMessageW(shown->Window(), WM_NOTIFY, notice.hdr.idFrom, reinterpret_cast<LPARAM>(&notice));
    ASSERT_EQ(drags.Drags().size(), 1u);
    EXPECT_EQ(draggedMark, kInternetZone);
}

TEST_F(MainFrameMarkOfTheWeb, AnArchiveWithoutAMarkGivesNone)
{
    ASSERT_NO_FATAL_FAILURE(Show(MakeArchive(L"local.rar", std::string())));
    const std::wstring destination = fixture.Folder() + L"\\unpacked";
    Unpack(destination);
    EXPECT_EQ(ReadWholeFile(destination + L"\\notes.txt"), "notes");
    EXPECT_EQ(GetFileAttributesW((destination + L"\\notes.txt:Zone.Identifier").c_str()), INVALID_FILE_ATTRIBUTES);
    shown->DoubleClick(shown->RowNamed(L"notes.txt"));
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(GetFileAttributesW((shell.Calls()[0].file + L":Zone.Identifier").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
