// What reaches the disk or the user past the program's own name checks: the
// stream records the library writes by itself after a file, the names the
// library gives the files it writes (and so where the Mark of the Web must go),
// and names that disguise themselves in the list.

#include "HostileTesting.h"
#include "RecordingDragStarter.h"
#include "RecordingShellOpener.h"

#include "extract/DlgProgress.h"
#include "extract/DragOut.h"

namespace {

const std::string kInternetZone = "[ZoneTransfer]\r\nZoneId=3\r\nHostUrl=https://example.invalid/web.rar\r\n";

class BehindOurChecks : public HostileArchiveTest {
protected:
    // Under Wine a stream "file:name" is a file of that name beside the file.
    static std::string MarkOf(const std::wstring& path) { return ReadWholeFileAt(path + L":Zone.Identifier"); }
};

// A stream record named ":..\..\..\evil.txt" after a file would put evil.txt three
// levels up; only plain stream names are written, by Unpack, by opening and by
// dragging out, and the one left out is reported as an unsafe name.
TEST_F(BehindOurChecks, StreamRecordsAreWrittenOnlyUnderPlainNames)
{
    fixture.WriteFile(L"host.txt", "host");
    const std::wstring archive = Craft(L"streams.rar", L"host.txt", [](rar5::Archive& a) {
        a.AddStream(0, ":..\\..\\..\\evil.txt", "evil");
        a.AddStream(0, ":note", "note");
    });
    ExpectProbesPass({{archive, L"", "a stream record climbing out beside a plain one", true}});

    CMainFrame& frame = Show(archive);
    ExpectErrorBox(UnsafeNamesText(1));
    EXPECT_EQ(RunExtractionJob(shown->JobInto(Work(L"dest\\a\\b")), frame.handle), IDCANCEL);
    const DiskTree unpacked = {
        {L"a\\", ""}, {L"a\\b\\", ""}, {L"a\\b\\host.txt", "host"}, {L"a\\b\\host.txt:note", "note"}};
    EXPECT_EQ(ReadDiskTree(Work(L"dest")), unpacked);

    // The same job below the temporary folder, where three levels up is outside
    // every allowed folder: the end of the test searches for evil.txt there.
    RecordingShellOpener shell;
    ExpectErrorBox(UnsafeNamesText(1));
    ASSERT_NO_FATAL_FAILURE(Activate(L"host.txt"));
    EXPECT_TRUE(shell.Calls().empty());
    EXPECT_EQ(ReadWholeFileAt(temp + L"\\streams-quillet\\host.txt:note"), "note");

    RecordingDragStarter drags;
    ExpectErrorBox(UnsafeNamesText(1));
    EXPECT_EQ(DragEntriesOut(frame.handle, shown->List(), frame.Catalogue()), DragOutOutcome::NotExtracted);
    EXPECT_TRUE(drags.Drags().empty());
    EXPECT_TRUE(driver->AllAnswered());
}

// Windows drops trailing dots and blanks and renames device names as the library
// writes: each file it wrote carries the archive's mark under the name it got,
// and no file appears under the name in the archive. An archive's own
// Zone.Identifier record gives way to the archive's mark.
TEST_F(BehindOurChecks, EveryFileWrittenCarriesTheArchivesMarkUnderTheNameItGot)
{
    ASSERT_EQ(fixture
                  .Shell(L"printf a > 'a.txt.' && printf b > 'b.txt ' && mkdir 'd ' && printf c > 'd /c.txt' && "
                         L"printf x > aux.txt && printf z > z.txt")
                  .exitCode,
              0);
    const std::wstring archive = Craft(L"renamed.rar", L"'a.txt.' 'b.txt ' 'd ' aux.txt z.txt", [](rar5::Archive& a) {
        for (size_t i = 0; i < a.Files().size(); ++i) {
            if (a.Files()[i].name == "z.txt")
                a.AddStream(i, ":Zone.Identifier", "[ZoneTransfer]\r\nZoneId=0\r\n");
        }
    });
    WriteFileAt(archive + L":Zone.Identifier", kInternetZone);

    CMainFrame& frame = Show(archive);
    const std::wstring destination = Work(L"dest");
    EXPECT_EQ(RunExtractionJob(shown->JobInto(destination), frame.handle), IDOK);
    DiskTree expected = {{L"d\\", ""}};
    for (const auto& file :
         {std::make_pair(L"a.txt", "a"), std::make_pair(L"b.txt", "b"), std::make_pair(L"d\\c.txt", "c"),
          std::make_pair(L"_aux.txt", "x"), std::make_pair(L"z.txt", "z")}) {
        expected[file.first] = file.second;
        expected[file.first + std::wstring(L":Zone.Identifier")] = kInternetZone;
    }
    EXPECT_EQ(ReadDiskTree(destination), expected);

    RecordingShellOpener shell;
    ASSERT_NO_FATAL_FAILURE(Activate(L"z.txt"));
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(MarkOf(shell.Calls()[0].file), kInternetZone);
    EXPECT_TRUE(driver->AllAnswered());
}

// A right-to-left override turns "report<U+202E>fdp.exe" into "reportexe.pdf" on
// screen, and blanks push ".exe" out of the column: the row shows what is there,
// and opening it opens the real file.
TEST_F(BehindOurChecks, DisguisedNamesShowWhatTheyAreAndOpenTheRealFile)
{
    const std::wstring reversed = L"report\u202Efdp.exe";
    const std::wstring padded = L"invoice.pdf" + std::wstring(24, L' ') + L".exe";
    fixture.WriteFile(reversed, "reversed");
    fixture.WriteFile(padded, "padded");
    const std::wstring archive = Make(L"disguised.rar", L"", L"report* invoice*");

    Show(archive);
    ASSERT_GE(RowOf(reversed), 0);
    ASSERT_GE(RowOf(padded), 0);
    EXPECT_EQ(shown->CellText(RowOf(reversed), 0), L"report<U+202E>fdp.exe");
    EXPECT_EQ(shown->CellText(RowOf(padded), 0), L"invoice.pdf<24 blanks>.exe");

    RecordingShellOpener shell;
    ASSERT_NO_FATAL_FAILURE(Activate(reversed));
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].file, temp + L"\\disguised-quillet\\" + reversed);
    EXPECT_EQ(ReadWholeFileAt(shell.Calls()[0].file), "reversed");
    EXPECT_TRUE(driver->AllAnswered());
}

}  // namespace
