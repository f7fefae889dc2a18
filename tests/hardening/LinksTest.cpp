// Symbolic and hard links: Unix ones that rar stores from real links (-ol, -oh),
// and Windows symbolic links and junctions made from them by rewriting the
// header's host system and redirection record. Quillet makes no links: a job
// leaves every link entry out and says how many, nothing is written through a
// link, no link leads outside, and opening a link entry is refused.

#include "HostileTesting.h"
#include "RecordingShellOpener.h"

#include "extract/DlgProgress.h"

#include <initializer_list>
#include <sstream>

namespace {

constexpr std::uint64_t kRedirectionRecord = 5;
enum Redirection : std::uint8_t { kUnixSymlink = 1, kWindowsSymlink = 2, kJunction = 3, kHardLink = 4 };
constexpr std::uint64_t kWindowsReparseAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT;

// The whole of a header's extra area is the limit of each read.
bool ReadVint(const std::vector<std::uint8_t>& bytes, size_t& pos, std::uint64_t& value)
{
    return rar5::ReadVint(bytes, pos, bytes.size(), value);
}

// Rewrites the redirection record of a header's extra area: its type, and its
// target when one of the same length is given (the record keeps its size).
bool Redirect(rar5::FileHeader& header, Redirection type, const std::string& target = std::string())
{
    std::vector<std::uint8_t>& extra = header.extra;
    for (size_t pos = 0; pos < extra.size();) {
        std::uint64_t size = 0;
        if (!ReadVint(extra, pos, size))
            return false;
        const size_t end = pos + static_cast<size_t>(size);
        std::uint64_t recordType = 0;
        size_t at = pos;
        if (end > extra.size() || !ReadVint(extra, at, recordType))
            return false;
        if (recordType == kRedirectionRecord) {
            // One byte each for the type and flags: rar writes small values so.
            extra[at] = type;
            std::uint64_t flags = 0;
            std::uint64_t length = 0;
            size_t nameAt = at + 1;
            if (!ReadVint(extra, nameAt, flags) || !ReadVint(extra, nameAt, length))
                return false;
            if (!target.empty()) {
                if (target.size() != length)
                    return false;
                std::copy(target.begin(), target.end(), extra.begin() + static_cast<std::ptrdiff_t>(nameAt));
            }
            return true;
        }
        pos = end;
    }
    return false;
}

class Links : public HostileArchiveTest {
protected:
    // Links below `root` (a Windows path) that lead outside it, as Linux resolves them.
    std::vector<std::string> LinksLeadingOutside(const std::wstring& root)
    {
        const std::string unixRoot = RarFixture::UnixPath(root);
        if (unixRoot.empty())
            return {};
        const ShellResult found =
            fixture.Shell(L"root=" + RarFixture::Quote(Wide(unixRoot)) +
                          L"; root=$(readlink -f \"$root\")\n"
                          L"find \"$root\" -type l | while read -r link; do target=$(readlink -m \"$link\"); "
                          L"case \"$target\" in \"$root\"/*) ;; *) echo \"$link -> $target\";; esac; done");
        std::vector<std::string> leading;
        std::stringstream lines(found.output);
        for (std::string line; std::getline(lines, line);)
            leading.push_back(line);
        return leading;
    }

    void ExpectNoLinkLeadsOutside(const std::wstring& root)
    {
        for (const std::string& link : LinksLeadingOutside(root))
            ADD_FAILURE() << "a link made by the extraction leads outside: " << link;
    }

    // Each of these rows of the current folder is a link, and a double-click on
    // it shows the unsafe-entry box and opens nothing.
    void ExpectOpeningRefused(CMainFrame& frame, std::initializer_list<const wchar_t*> links)
    {
        for (const wchar_t* link : links) {
            RecordingShellOpener shell;
            ASSERT_GE(RowOf(link), 0) << Utf8(link);
            EXPECT_TRUE(frame.Catalogue().EntryAtRow(RowOf(link))->isLink) << Utf8(link);
            ExpectErrorBox(L"This entry cannot be opened because its name is unsafe.");
            ASSERT_NO_FATAL_FAILURE(Activate(link));
            EXPECT_TRUE(shell.Calls().empty()) << Utf8(link);
        }
    }
};

TEST_F(Links, UnixSymbolicAndHardLinksStoredByRar)
{
    ASSERT_EQ(fixture
                  .Shell(L"mkdir -p real/sub real/aaaa && printf target > real/target.txt && "
                         L"printf inside > real/sub/inner.txt && printf escaped > real/aaaa/escaped.txt && "
                         L"ln -s target.txt real/link-file && ln -s ../../outside.txt real/link-up && "
                         L"ln -s /etc/passwd real/link-abs && ln -s .. real/link-dir && ln -s sub real/link-sub && "
                         L"ln -s ../.. real/evil && printf hard > real/hard1 && ln real/hard1 real/hard2")
                  .exitCode,
              0);
    const std::wstring stored = Make(L"links.rar", L"-r -ol -oh -qo-", L"real");
    // A file stored below the link that climbs two levels: written through it, it
    // would land outside.
    const std::wstring through = fixture.OutputPath(L"through.rar");
    ASSERT_TRUE(::CopyFileW(stored.c_str(), through.c_str(), FALSE));
    std::string error;
    ASSERT_TRUE(rar5::EditArchive(
        through,
        [](rar5::Archive& a) {
            rar5::FileHeader* file = a.Find("real/aaaa/escaped.txt");
            rar5::FileHeader* folder = a.Find("real/aaaa");
            ASSERT_TRUE(file && folder);
            file->name = "real/evil/escaped.txt";
            folder->name = "real/dddd";
        },
        &error))
        << error;
    ExpectProbesPass({{stored, L"", "Unix links", true}, {through, L"", "a file below a climbing link", true}});
    ExpectNoLinkLeadsOutside(Work(L"probe"));

    CMainFrame& frame = Show(through);
    const std::wstring destination = Work(L"dest\\a\\b");
    // Six symbolic links and one name of the hard-linked file.
    ExpectErrorBox(LinksLeftOutText(7));
    EXPECT_EQ(RunExtractionJob(shown->JobInto(destination), frame.handle), IDCANCEL);
    ExpectNoLinkLeadsOutside(Work(L"dest"));
    const DiskTree written = ReadDiskTree(destination);
    // One name of the hard-linked file holds its data, whichever rar stored first.
    EXPECT_EQ(written.count(L"real\\hard1") + written.count(L"real\\hard2"), 1u);
    EXPECT_EQ(written.count(L"real\\evil\\escaped.txt"), 1u);  // in a folder of its own
    // Opening any link entry is refused.
    ASSERT_NO_FATAL_FAILURE(Activate(L"real"));
    ASSERT_NO_FATAL_FAILURE(
        ExpectOpeningRefused(frame, {L"link-file", L"link-up", L"link-abs", L"link-dir", L"link-sub", L"evil"}));
    EXPECT_TRUE(driver->AllAnswered());
}

TEST_F(Links, WindowsSymbolicLinksJunctionsAndHardLinksMadeFromThem)
{
    ASSERT_EQ(fixture
                  .Shell(L"mkdir -p w && printf target > w/target.txt && "
                         L"ln -s ../../../../outside-target w/win-up && ln -s target.txt w/win-in && "
                         L"ln -s ../../../../outside-folder w/junction && ln -s ../../../../outside-hard w/hard-up")
                  .exitCode,
              0);
    const std::wstring archive = Craft(L"windows-links.rar", L"-ol w", [](rar5::Archive& a) {
        const auto windows = [&a](const char* name, Redirection type) {
            rar5::FileHeader* header = a.Find(name);
            ASSERT_NE(header, nullptr) << name;
            header->hostOs = rar5::kHostWindows;
            header->attributes = kWindowsReparseAttributes;
            ASSERT_TRUE(Redirect(*header, type)) << name;
        };
        windows("w/win-up", kWindowsSymlink);
        windows("w/win-in", kWindowsSymlink);
        windows("w/junction", kJunction);
        windows("w/hard-up", kHardLink);
    });
    ExpectProbesPass({{archive, L"", "Windows links and a hard link that climb", true}});
    ExpectNoLinkLeadsOutside(Work(L"probe"));

    CMainFrame& frame = Show(archive);
    ASSERT_NO_FATAL_FAILURE(Activate(L"w"));
    ASSERT_NO_FATAL_FAILURE(ExpectOpeningRefused(frame, {L"win-up", L"win-in", L"junction", L"hard-up"}));
    EXPECT_TRUE(driver->AllAnswered());
}

}  // namespace
