// Double-clicking a file in the main window opens it with its program.
#include "FrameExtractTesting.h"
#include "ProgressEntryLog.h"
#include "RarCraft.h"
#include "RecordingShellOpener.h"

#include "framework/Handles.h"

#include <shellapi.h>

namespace {

using Names = std::vector<std::wstring>;

class MainFrameOpenEntry : public FrameExtractTest {
protected:
    RecordingShellOpener shell;
    ProgressEntryLog log;
};

TEST_F(MainFrameOpenEntry, DoubleClickOpensTheFileAndTheSecondOpensTheCopyThatIsThere)
{
    fixture.WriteFile(L"notes.txt", "as archived");
    ASSERT_NO_FATAL_FAILURE(Show(fixture.MakeArchive(L"work.rar")));
    const std::wstring target = Temp(L"work-quillet\\notes.txt");

    shown->DoubleClick(shown->RowNamed(L"notes.txt"));
    ASSERT_EQ(shell.Calls().size(), 1u);
    const RecordingShellOpener::Call& call = shell.Calls()[0];
    EXPECT_EQ(call.owner, shown->Window());
    EXPECT_EQ(call.verb, L"open");
    EXPECT_EQ(call.file, target);
    EXPECT_FALSE(call.hasParams);
    EXPECT_FALSE(call.hasDirectory);
    EXPECT_EQ(call.show, SW_SHOW);
    EXPECT_EQ(log.NamesShownAs(L"Extracting file"), Names{L"notes.txt"});
    EXPECT_EQ(ReadWholeFile(target), "as archived");

    // As if the program that opened it had saved a change.
    {
        const UniqueKernelHandle file(
            CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        WriteFile(file.get(), "edited", 6, &written, nullptr);
    }

    shown->DoubleClick(shown->RowNamed(L"notes.txt"));
    EXPECT_EQ(log.NamesShownAs(L"Skipping file"), Names{L"notes.txt"});
    ASSERT_EQ(shell.Calls().size(), 2u);
    EXPECT_EQ(shell.Calls()[1].file, target);
    EXPECT_EQ(ReadWholeFile(target), "edited");
}

TEST_F(MainFrameOpenEntry, WithoutAnAssociatedProgramTheChooserStartsForTheFile)
{
    fixture.WriteFile(L"docs\\data.odd", "odd");
    ASSERT_NO_FATAL_FAILURE(Show(fixture.MakeArchive(L"odd.rar")));
    shown->DoubleClick(shown->RowNamed(L"docs"));

    shell.AnswerWith({SE_ERR_NOASSOC});
    shown->DoubleClick(shown->RowNamed(L"data.odd"));
    const std::wstring target = Temp(L"odd-quillet\\docs\\data.odd");
    ASSERT_EQ(shell.Calls().size(), 2u);
    EXPECT_EQ(shell.Calls()[0].file, target);
    const RecordingShellOpener::Call& chooser = shell.Calls()[1];
    EXPECT_EQ(chooser.owner, shown->Window());
    EXPECT_EQ(chooser.verb, L"open");
    EXPECT_EQ(chooser.file, SystemFolder() + L"\\rundll32.exe");
    EXPECT_EQ(chooser.params, L"shell32.dll,OpenAs_RunDLL " + target);
    EXPECT_FALSE(chooser.hasDirectory);
    EXPECT_EQ(chooser.show, SW_SHOWNORMAL);
}

TEST_F(MainFrameOpenEntry, WithOpenFileOffADoubleClickOnAFileDoesNothing)
{
    fixture.WriteFile(L"notes.txt", "notes");
    AppSettings settings;
    settings.OpenFile = 0;
    ASSERT_NO_FATAL_FAILURE(Show(fixture.MakeArchive(L"work.rar"), settings));
    shown->DoubleClick(shown->RowNamed(L"notes.txt"));
    EXPECT_TRUE(shell.Calls().empty());
    EXPECT_TRUE(log.Entries().empty());
    EXPECT_EQ(GetFileAttributesW(Temp(L"work-quillet").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(MainFrameOpenEntry, AnEntryClimbingOutOfTheFolderIsRefusedWithItsMessage)
{
    fixture.WriteFile(L"aaaaaaaaaaaaaaaaaa.txt", "escaped");
    const std::wstring archive = fixture.MakeArchive(L"crafted.rar", L"-qo-");
    ASSERT_TRUE(rar5::EditArchive(
        archive, [](rar5::Archive& a) { a.Find("aaaaaaaaaaaaaaaaaa.txt")->name = "../../Windows/x.txt"; }));
    ASSERT_NO_FATAL_FAILURE(Show(archive));
    ASSERT_EQ(shown->RowCount(), 1);

    ExpectErrorBox(L"This entry cannot be opened because its name is unsafe.");
    shown->DoubleClick(0);
    EXPECT_TRUE(shell.Calls().empty());
    EXPECT_TRUE(log.Entries().empty());
    EXPECT_EQ(GetFileAttributesW(Temp(L"crafted-quillet").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
