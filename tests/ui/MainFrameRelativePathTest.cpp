// An archive named by a relative path ("-o photos.rar") is taken from the current
// folder once, at open: the title, Unpack's proposal and every later job name that
// file, wherever the current folder goes afterwards.
#include "FrameExtractTesting.h"

#include "framework/PathText.h"
#include "res/resource.h"

namespace {

class CurrentFolder {
public:
    explicit CurrentFolder(const std::wstring& folder)
    {
        previous.resize(GetCurrentDirectoryW(0, nullptr));
        previous.resize(GetCurrentDirectoryW(static_cast<DWORD>(previous.size()), &previous[0]));
        EXPECT_TRUE(SetCurrentDirectoryW(folder.c_str()));
    }
    ~CurrentFolder() { SetCurrentDirectoryW(previous.c_str()); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    std::wstring previous;
};

using MainFrameRelativePath = FrameExtractTest;

TEST_F(MainFrameRelativePath, IsTakenWholeAtOpenAndServesUnpackAfterTheCurrentFolderMoves)
{
    fixture.WriteFile(L"docs\\a.txt", "alpha");
    const std::wstring archive = fixture.MakeArchive(L"photos.rar");
    ASSERT_FALSE(archive.empty());
    shown = std::make_unique<ShownMainFrame>();
    for (const wchar_t* relative : {L"photos.rar", L".\\photos.rar", L"..\\out\\.\\photos.rar"}) {
        SCOPED_TRACE(relative);
        {
            CurrentFolder here(fixture.OutputPath(L""));
            ASSERT_EQ(shown->Frame().OpenArchive(relative), 1);
        }
        EXPECT_EQ(shown->Title(), L"Quillet - [" + archive + L"]");
        EXPECT_EQ(shown->Frame().Catalogue().archivePath, archive);
    }

    // The open-file dialog moves the current folder; the job still finds the archive.
    CurrentFolder elsewhere(fixture.Folder());
    driver.Expect(L"Unpack", [&](DialogDriver::Dialog& unpack) {
        EXPECT_EQ(unpack.Text(IDC_DESTINATION), fixture.OutputPath(L"photos"));
        unpack.Press(IDOK);
    });
    driver.Expect(L"Unpack", [](DialogDriver::Dialog& unpack) { unpack.Press(IDCANCEL); });
    SendMessageW(shown->Window(), WM_COMMAND, static_cast<WPARAM>(shown->Frame().UnpackButtonId()), 0);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(ReadWholeFile(fixture.OutputPath(L"photos\\docs\\a.txt")), "alpha");
}

// The open-file dialog leaves the current folder where it was, not in the
// archive's folder: a program started by name would be looked for there.
TEST_F(MainFrameRelativePath, TheOpenDialogLeavesTheCurrentFolderAlone)
{
    fixture.WriteFile(L"a.txt", "alpha");
    const std::wstring archive = fixture.MakeArchive(L"picked.rar");
    ASSERT_FALSE(archive.empty());
    shown = std::make_unique<ShownMainFrame>();
    CurrentFolder here(fixture.InputPath(L""));
    const std::wstring before = FullPathName(L".");
    constexpr int kFileNameBox = 0x47C;  // cmb13, the dialog's file name
    driver.Expect(L"Open", [&archive](DialogDriver::Dialog& open) {
        open.SetText(kFileNameBox, archive);
        open.Press(IDOK);
    });
    SendMessageW(shown->Window(), WM_COMMAND, static_cast<WPARAM>(shown->Frame().OpenButtonId()), 0);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(shown->Frame().Catalogue().archivePath, archive);
    EXPECT_EQ(FullPathName(L"."), before);
}

}  // namespace
