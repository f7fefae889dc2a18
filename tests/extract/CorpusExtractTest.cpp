// Every archive of another project's test suite that the reference `unrar x`
// extracts cleanly, extracted by a job and compared byte for byte and time for
// time with what the reference wrote, both made at test time. Links, which the
// reference makes and a job leaves out, are compared by their count only.

#include "CorpusManifest.h"
#include "ExtractTesting.h"

#include "catalogue/RarLibrary.h"
#include "extract/DlgProgress.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>

namespace {

int CALLBACK AnswerWithPassword(UINT message, LPARAM userData, LPARAM p1, LPARAM p2)
{
    const auto* password = reinterpret_cast<const std::wstring*>(userData);
    if (message == UCM_NEEDPASSWORDW && p1 && p2 > 0 && !password->empty()) {
        ::lstrcpynW(reinterpret_cast<wchar_t*>(p1), password->c_str(), static_cast<int>(p2));
        return 1;
    }
    if ((message == UCM_CHANGEVOLUME || message == UCM_CHANGEVOLUMEW) && p2 == RAR_VOL_ASK)
        return -1;
    return message == UCM_NEEDPASSWORDW ? -1 : 0;
}

// The link entries, which a job leaves out and the reference makes (or, for a
// hard link, writes as a file).
std::vector<std::wstring> LinkEntries(const std::wstring& path, const std::wstring& password)
{
    std::vector<std::wstring> links;
    RarArchive archive;
    if (archive.Open(path.c_str(), RarOpenMode::List, &AnswerWithPassword, reinterpret_cast<LPARAM>(&password)) !=
        ERAR_SUCCESS)
        return links;
    auto header = std::make_unique<RARHeaderDataEx>();
    while (archive.ReadHeader(*header) == ERAR_SUCCESS) {
        if (MakesLink(*header))
            links.push_back(header->FileNameW);
        if (archive.Skip() != ERAR_SUCCESS)
            break;
    }
    return links;
}

// A file version kept in the name ("2to3;1"): the library writes it so, the
// reference drops the suffix.
std::wstring WithoutVersion(const std::wstring& path)
{
    const size_t mark = path.find_last_of(L';');
    if (mark == std::wstring::npos || mark + 1 == path.size() ||
        path.find_first_not_of(L"0123456789", mark + 1) != std::wstring::npos)
        return path;
    return path.substr(0, mark);
}

bool BeforeDosTimes(std::uint64_t fileTime)
{
    constexpr std::uint64_t k1980 = 119600064000000000ull;  // 1 January 1980 in FILETIME units
    return fileTime < k1980;
}

TEST(CorpusExtraction, JobWritesWhatTheReferenceWrites)
{
    if (!RarFixture::Available())
        GTEST_SKIP() << "rar cannot be run from here";
    const std::vector<CorpusRow> manifest = ReadCorpusManifest();
    if (manifest.empty())
        FAIL() << "no corpus at " << CorpusUnixFolder();

    RarFixture fixture;
    ArchiveCatalogue nothingListed;
    TestList owner(nothingListed);
    int compared = 0;
    for (const CorpusRow& archive : manifest) {
        // A volume after the first: the reference goes back to the first one,
        // which has a row of its own.
        if (archive.IsLaterVolume())
            continue;
        if (archive.password == "unknown")
            continue;
        SCOPED_TRACE(archive.file);
        const std::wstring path = CorpusWindowsPath(archive.file);
        const std::wstring name = RarFixture::FromUtf8(archive.file);
        const std::wstring reference = fixture.Folder() + L"\\reference\\" + name;
        const std::wstring ours = fixture.Folder() + L"\\ours\\" + name;
        const std::wstring password = RarFixture::FromUtf8(archive.password);
        if (ReferenceExtract(fixture, path, reference, password) != 0)
            continue;

        DialogDriver driver(120000);
        // The progress dialog itself is not answered: long jobs must be left alone.
        driver.SetUnexpectedDialogTimeout(60000);
        if (!password.empty()) {
            driver.Expect(L"Enter password", [password](DialogDriver::Dialog& prompt) {
                prompt.SetText(IDC_PASSWORD, password);
                prompt.Press(IDOK);
            });
        }
        const std::vector<std::wstring> links = LinkEntries(path, password);
        if (!links.empty()) {
            const std::wstring text = std::to_wstring(links.size()) +
                                      L" links were left out: Quillet does not make symbolic links, junctions or "
                                      L"hard links.";
            driver.Expect(L"Error", [text](DialogDriver::Dialog& box) {
                EXPECT_EQ(box.MessageText(), text);
                box.Press(IDOK);
            });
        }
        ExtractionJob job;
        job.archivePath = path;
        job.destination = ours;
        job.catalogue = &nothingListed;
        EXPECT_EQ(RunExtractionJob(job, owner.Owner()), links.empty() ? IDOK : IDCANCEL);
        EXPECT_TRUE(driver.AllAnswered());

        FILETIME checkedAt;
        ::GetSystemTimeAsFileTime(&checkedAt);
        Tree expected = ReadTree(reference);
        Tree written;
        for (auto& item : ReadTree(ours))
            written[archive.Has("file-version") ? WithoutVersion(item.first) : item.first] = std::move(item.second);
        for (const std::wstring& link : links) {
            expected.erase(link);
            written.erase(link);
        }
        Tree renamed;
        for (auto& item : expected) {
            const bool asIs = written.count(item.first) != 0;
            renamed[asIs ? item.first : AsLibraryReadsOemBytes(RarFixture::ToUtf8(item.first))] =
                std::move(item.second);
        }
        expected = std::move(renamed);
        EXPECT_EQ(TreePaths(written), TreePaths(expected));
        const std::uint64_t now =
            (static_cast<std::uint64_t>(checkedAt.dwHighDateTime) << 32) | checkedAt.dwLowDateTime;
        for (const auto& item : expected) {
            const auto found = written.find(item.first);
            if (found == written.end())
                continue;
            SCOPED_TRACE(RarFixture::ToUtf8(item.first));
            EXPECT_EQ(found->second.contents.size(), item.second.contents.size());
            EXPECT_TRUE(found->second.contents == item.second.contents);
            // Only times the archive holds: without one both tools write the
            // current time; one before 1980 has no MS-DOS form for the library.
            const std::uint64_t time = item.second.writeTime;
            const bool stored = time + 10ull * 60 * 10000000 < now && !BeforeDosTimes(time);
            if (!item.second.isFolder && stored) {
                EXPECT_EQ(found->second.writeTime, time);
            }
        }
        ++compared;
    }
    EXPECT_GT(compared, 30);
    std::printf("CORPUS-EXTRACTED\t%d archives compared with the reference\n", compared);
    CleanFixture(fixture);
}

}  // namespace
