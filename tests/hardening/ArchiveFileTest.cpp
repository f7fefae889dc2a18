// What is given as the archive: an empty file, a folder, a file another program
// holds locked; and an archive deleted, replaced or locked after it was listed
// and before a job or a double-click. The library's code reaches the user, the
// catalogue shown stays, nothing is opened that was not written.

#include "HostileTesting.h"
#include "RecordingShellOpener.h"

#include "extract/DlgProgress.h"
#include "framework/Handles.h"

namespace {

class ArchiveFile : public HostileArchiveTest {
protected:
    ArchiveFile() { testTimeoutMs = 60000; }

    // Held open without sharing, as a program writing the file would.
    static UniqueKernelHandle Lock(const std::wstring& path)
    {
        return UniqueKernelHandle(
            ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    }

    // The listing's boxes as the library's codes call for, the refusal, and the
    // catalogue untouched.
    void ExpectRefusedOpen(const std::wstring& path, const CatalogueState& before)
    {
        const LibraryWalk walk = WalkForListing(path, L"");
        EXPECT_NE(walk.openResult, ERAR_SUCCESS) << Utf8(path);
        ExpectBoxes(ExpectedListingBoxes(walk));
        EXPECT_EQ(shown->Frame().OpenArchive(path), -1) << Utf8(path);
        EXPECT_EQ(StateOf(shown->Frame().Catalogue()), before) << Utf8(path);
        EXPECT_EQ(shown->RowCount(), 0);
        EXPECT_EQ(shown->Title(), L"Quillet");
    }

    // A job on the catalogue shown after the archive changed under it: the
    // library's codes as messages, and what it wrote the same as the library
    // alone writes.
    void ExpectJobAsTheLibrary(const std::wstring& path, const std::wstring& name, const std::wstring& password)
    {
        const std::wstring destination = Work(L"dest\\" + name);
        const LibraryWalk walk = WalkForExtraction(path, password, Work(L"oracle\\" + name));
        if (walk.passwordRequests > 0)
            AnswerPassword(password);
        ExpectBoxes(ExpectedJobBoxes(walk));
        const CatalogueState before = StateOf(shown->Frame().Catalogue());
        EXPECT_EQ(RunExtractionJob(shown->JobInto(destination), shown->Window()), ExpectedJobResult(walk))
            << Utf8(name);
        EXPECT_EQ(ReadDiskTree(destination), ReadDiskTree(Work(L"oracle\\" + name))) << Utf8(name);
        EXPECT_EQ(StateOf(shown->Frame().Catalogue()), before) << Utf8(name);
    }
};

TEST_F(ArchiveFile, EmptyFileFolderAndLockedFileGivenAsTheArchive)
{
    const std::wstring empty = Work(L"empty.rar");
    WriteTextFile(empty, "");
    const std::wstring folder = Work(L"folder.rar");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring locked = Work(L"locked.rar");
    ASSERT_TRUE(::CopyFileW(anchor.c_str(), locked.c_str(), FALSE));
    const UniqueKernelHandle lock = Lock(locked);
    ASSERT_TRUE(lock);
    // The lock holds for the probe child too.
    ExpectProbesPass(
        {{empty, L"", "empty file", true}, {folder, L"", "folder", true}, {locked, L"", "locked file", true}});

    Show(anchor);
    const CatalogueState before = StateOf(shown->Frame().Catalogue());
    for (const std::wstring& path : {empty, folder, locked})
        ExpectRefusedOpen(path, before);
    // The catalogue shown is still the one to extract.
    const std::wstring destination = Work(L"dest");
    EXPECT_EQ(RunExtractionJob(shown->JobInto(destination), shown->Window()), IDOK);
    EXPECT_EQ(ReadDiskTree(destination)[L"anchor\\kept.txt"], "the archive open before\n");
    EXPECT_TRUE(driver->AllAnswered());
}

TEST_F(ArchiveFile, DeletedReplacedOrLockedBetweenListingAndExtraction)
{
    fixture.WriteFile(L"listed\\one.txt", "one");
    fixture.WriteFile(L"listed\\dir\\two.txt", "two");
    const std::wstring listed = Make(L"listed.rar", L"-r", L"listed");
    fixture.WriteFile(L"other\\else.txt", "else");
    const std::wstring other = Make(L"other.rar", L"-r", L"other");
    const std::wstring encrypted = Make(L"encrypted.rar", L"-r -hpsecret", L"other");
    const std::string listedBytes = ReadWholeFile(listed);
    const std::wstring archive = Work(L"changing.rar");
    const auto put = [&archive](const std::string& bytes) { ASSERT_TRUE(WriteTextFile(archive, bytes)); };
    put(listedBytes);

    Show(archive);
    const CatalogueState before = StateOf(shown->Frame().Catalogue());
    ASSERT_EQ(before.paths.size(), 4u);

    ASSERT_TRUE(::DeleteFileW(archive.c_str()));
    ExpectJobAsTheLibrary(archive, L"deleted", L"");
    put(ReadWholeFile(other));
    ExpectJobAsTheLibrary(archive, L"replaced", L"");
    put("this is no archive at all");
    ExpectJobAsTheLibrary(archive, L"garbage", L"");
    put(listedBytes.substr(0, listedBytes.size() / 2));
    ExpectJobAsTheLibrary(archive, L"cut", L"");
    put(ReadWholeFile(encrypted));
    ExpectJobAsTheLibrary(archive, L"encrypted-refused", L"");
    ExpectJobAsTheLibrary(archive, L"encrypted-wrong", L"not-it");
    put(listedBytes);
    {
        const UniqueKernelHandle lock = Lock(archive);
        ExpectJobAsTheLibrary(archive, L"locked", L"");
    }

    // A double-click on an entry the archive no longer has opens nothing.
    put(ReadWholeFile(other));
    RecordingShellOpener shell;
    ASSERT_NO_FATAL_FAILURE(Activate(L"listed"));
    ASSERT_NO_FATAL_FAILURE(Activate(L"one.txt"));
    EXPECT_TRUE(shell.Calls().empty());
    ::DeleteFileW(archive.c_str());
    ExpectBoxes(ExpectedJobBoxes(WalkForExtraction(archive, L"", Work(L"oracle\\gone"))));
    ASSERT_NO_FATAL_FAILURE(Activate(L"one.txt"));
    EXPECT_TRUE(shell.Calls().empty());
    EXPECT_EQ(StateOf(shown->Frame().Catalogue()).paths, before.paths);
    EXPECT_TRUE(SameSettings(shown->Settings(), AppSettings()));
    EXPECT_TRUE(driver->AllAnswered());
}

}  // namespace
