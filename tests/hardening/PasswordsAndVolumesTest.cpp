// Encrypted headers answered with wrong passwords again and again, and a volume
// set whose middle volume is missing: the library's code reaches the user each
// time, nothing else changes, and the right answer still works afterwards.

#include "ArchiveMutator.h"
#include "CorpusManifest.h"
#include "HostileTesting.h"

#include "extract/DlgProgress.h"

namespace {

constexpr wchar_t kRight[] = L"Right-1";

class PasswordsAndVolumes : public HostileArchiveTest {
protected:
    PasswordsAndVolumes() { testTimeoutMs = 60000; }

    std::wstring CorpusCopy(const std::string& file)
    {
        const std::wstring source = CorpusWindowsPath(file);
        const std::wstring copy = fixture.OutputPath(Wide(file));
        EXPECT_TRUE(::CopyFileW(source.c_str(), copy.c_str(), FALSE)) << file;
        return copy;
    }
};

TEST_F(PasswordsAndVolumes, WrongHeaderPasswordsAgainAndAgain)
{
    fixture.WriteFile(L"secret\\one.txt", "one");
    fixture.WriteFile(L"secret\\two.txt", std::string(5000, 't'));
    const std::wstring archive = Make(L"headers.rar", std::wstring(L"-r -hp") + kRight, L"secret");
    const std::wstring rar4 = CorpusCopy("test_read_format_rar4_encrypted_filenames.rar");
    std::vector<ProbeCase> cases;
    for (const wchar_t* typed : {L"wrong", L"Right-", L"", kRight})
        cases.push_back({archive, typed, "RAR5 headers, typed '" + Utf8(typed) + "'", true});
    for (const wchar_t* typed : {L"wrong", L"", L"password"})
        cases.push_back({rar4, typed, "RAR4 headers, typed '" + Utf8(typed) + "'", true});
    ExpectProbesPass(cases);

    AnswerPassword(kRight);
    CMainFrame& frame = Show(archive);
    const CatalogueState listed = StateOf(frame.Catalogue());
    ASSERT_EQ(listed.paths.size(), 3u);

    // Opening again with wrong passwords: each time the library's verdict, and
    // the catalogue of the first open stays.
    for (int attempt = 0; attempt < 10; ++attempt) {
        const std::wstring typed = L"wrong-" + std::to_wstring(attempt);
        const LibraryWalk walk = WalkForListing(archive, typed);
        EXPECT_EQ(walk.openResult, ERAR_BAD_PASSWORD);
        AnswerPassword(typed);
        ExpectBoxes(ExpectedListingBoxes(walk));
        EXPECT_EQ(frame.OpenArchive(archive), -1);
        EXPECT_EQ(StateOf(frame.Catalogue()), listed);
        EXPECT_EQ(shown->Title(), L"Quillet");
    }
    // A refused prompt shows nothing.
    AnswerPassword(L"");
    EXPECT_EQ(frame.OpenArchive(archive), -1);
    EXPECT_EQ(StateOf(frame.Catalogue()), listed);

    // Jobs on the catalogue ask again; wrong answers write nothing.
    const std::wstring destination = Work(L"dest");
    for (int attempt = 0; attempt < 5; ++attempt) {
        const std::wstring typed = L"job-wrong-" + std::to_wstring(attempt);
        const LibraryWalk walk = WalkForExtraction(archive, typed, Work(L"oracle\\" + std::to_wstring(attempt)));
        AnswerPassword(typed);
        ExpectBoxes(ExpectedJobBoxes(walk));
        EXPECT_EQ(RunExtractionJob(shown->JobInto(destination), frame.handle), IDCANCEL);
        EXPECT_TRUE(ReadDiskTree(destination).empty());
        EXPECT_EQ(StateOf(frame.Catalogue()), listed);
    }
    AnswerPassword(kRight);
    EXPECT_EQ(RunExtractionJob(shown->JobInto(destination), frame.handle), IDOK);
    EXPECT_EQ(ReadDiskTree(destination)[L"secret\\two.txt"], std::string(5000, 't'));
    EXPECT_TRUE(SameSettings(shown->Settings(), AppSettings()));
    EXPECT_TRUE(driver->AllAnswered());
}

TEST_F(PasswordsAndVolumes, MiddleVolumeMissing)
{
    std::string noise(60000, '\0');
    SeededRandom random(3);
    for (char& c : noise)
        c = static_cast<char>(random.Next());
    fixture.WriteFile(L"set\\a-first.txt", "first");
    fixture.WriteFile(L"set\\m-spanning.bin", noise);
    fixture.WriteFile(L"set\\z-last.txt", "last");
    Make(L"set.rar", L"-r -m0 -v25k", L"set");
    ASSERT_NE(::GetFileAttributesW(fixture.OutputPath(L"set.part3.rar").c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(::DeleteFileW(fixture.OutputPath(L"set.part2.rar").c_str()));
    const std::wstring first = fixture.OutputPath(L"set.part1.rar");
    ExpectProbesPass({{first, L"", "set from its first volume, middle missing", true},
                      {fixture.OutputPath(L"set.part3.rar"), L"", "set from its last volume, middle missing", true}});

    const LibraryWalk listing = WalkForListing(first, L"");
    EXPECT_EQ(listing.stopCode, ERAR_EOPEN);
    ExpectBoxes(ExpectedListingBoxes(listing));
    CMainFrame& frame = Show(first);
    EXPECT_GE(StateOf(frame.Catalogue()).paths.size(), 2u);  // what came before the gap

    const std::wstring destination = Work(L"dest");
    const LibraryWalk extraction = WalkForExtraction(first, L"", Work(L"oracle"));
    EXPECT_EQ(extraction.stopCode, ERAR_EOPEN);
    ExpectBoxes(ExpectedJobBoxes(extraction));
    EXPECT_EQ(RunExtractionJob(shown->JobInto(destination), frame.handle), IDCANCEL);
    // What came before the gap stays; the spanning file is not there whole.
    DiskTree written = ReadDiskTree(destination);
    EXPECT_EQ(written[L"set\\a-first.txt"], "first");
    EXPECT_NE(written[L"set\\m-spanning.bin"], noise);
    EXPECT_TRUE(driver->AllAnswered());
}

}  // namespace
