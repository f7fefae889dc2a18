// Archives of another project's test suite, listed through the library and compared
// with what the reference tool, `unrar lt`, reports for them at test time.

#include "CorpusManifest.h"
#include "RarFixture.h"

#include "catalogue/ArchiveListing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>

namespace {

struct ListedEntry {
    std::wstring path;
    // A RAR4 name stored without its Unicode form is read in the OEM code page on
    // Windows, in the locale's (UTF-8) by the reference on Linux.
    std::wstring oemPath;
    bool isFolder = false;
    std::uint64_t size = 0;  // files only

    bool operator==(const ListedEntry& other) const
    {
        const bool samePath = path == other.path || (!oemPath.empty() && oemPath == other.path) ||
                              (!other.oemPath.empty() && other.oemPath == path);
        return samePath && isFolder == other.isFolder && (isFolder || size == other.size);
    }
};

std::wstring Backslashed(std::wstring path)
{
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::ostream& operator<<(std::ostream& out, const ListedEntry& entry)
{
    return out << RarFixture::ToUtf8(entry.path) << (entry.isFolder ? " (folder)" : " ")
               << (entry.isFolder ? std::string() : std::to_string(entry.size));
}

// Rows the reference lists cleanly without a password.
std::vector<CorpusRow> CleanlyListedArchives()
{
    std::vector<CorpusRow> rows;
    for (const CorpusRow& row : ReadCorpusManifest()) {
        if (row.listRc == "0" && row.password.empty())
            rows.push_back(row);
    }
    return rows;
}

// `unrar lt -v` output for every archive, keyed by file name. A split entry shows
// once per volume; the walk through the library meets it once, so consecutive
// pieces across a volume change are merged.
std::map<std::string, std::vector<ListedEntry>> ReferenceListings(const std::string& output)
{
    std::map<std::string, std::vector<ListedEntry>> listings;
    std::vector<ListedEntry>* current = nullptr;
    bool volumeChanged = false;
    std::stringstream stream(output);
    std::string line;
    const auto value = [&line](const std::string& key) -> std::string {
        const size_t at = line.find(key);
        return at == std::string::npos ? std::string() : line.substr(at + key.size());
    };
    while (std::getline(stream, line)) {
        if (line.rfind("@@ ", 0) == 0) {
            current = &listings[line.substr(3)];
            volumeChanged = false;
        } else if (!current) {
            continue;
        } else if (line.rfind("Archive: ", 0) == 0) {
            volumeChanged = true;
        } else if (line.find("        Name: ") == 0) {
            ListedEntry entry;
            entry.path = Backslashed(RarFixture::FromUtf8(value("Name: ")));
            entry.oemPath = Backslashed(AsLibraryReadsOemBytes(value("Name: ")));
            if (volumeChanged && !current->empty() && current->back().path == entry.path)
                current->pop_back();
            current->push_back(entry);
            volumeChanged = false;
        } else if (line.find("        Type: ") == 0 && !current->empty()) {
            current->back().isFolder = value("Type: ") == "Directory";
        } else if (line.find("        Size: ") == 0 && !current->empty()) {
            current->back().size = std::stoull(value("Size: "));
        }
    }
    return listings;
}

TEST(CorpusListing, EveryCleanlyListedArchiveGivesTheReferenceEntries)
{
    if (!RarFixture::Available())
        GTEST_SKIP() << "Linux programs cannot be run from here";
    const std::string folder = CorpusUnixFolder();
    const std::vector<CorpusRow> archives = CleanlyListedArchives();
    if (archives.empty())
        FAIL() << "no corpus at " << folder;

    RarFixture fixture;
    std::wstring script = L"cd " + RarFixture::Quote(RarFixture::FromUtf8(folder)) + L" || exit 9\n";
    for (const CorpusRow& corpusArchive : archives) {
        const std::wstring name = RarFixture::Quote(RarFixture::FromUtf8(corpusArchive.file));
        script += L"echo '@@ '" + name + L"; unrar lt -v " + name + L"\n";
    }
    const ShellResult reference = fixture.Shell(script);
    ASSERT_FALSE(reference.timedOut) << reference.output;
    const auto expected = ReferenceListings(reference.output);

    for (const CorpusRow& corpusArchive : archives) {
        const std::string& file = corpusArchive.file;
        SCOPED_TRACE(file);
        RarArchive archive;
        EntryList entries;
        const ListResult result = ListArchive(CorpusWindowsPath(file), {}, archive, entries);
        EXPECT_EQ(result.openResult, 0);
        // Headers only, as the reference lists: a later volume of a solid set too
        // ends cleanly, since nothing is unpacked.
        EXPECT_EQ(result.stopCode, ERAR_END_ARCHIVE);
        std::vector<ListedEntry> listed;
        for (const auto& entry : entries)
            listed.push_back({entry->path, std::wstring(), entry->isFolder, entry->unpackedSize});
        const auto found = expected.find(file);
        ASSERT_NE(found, expected.end());
        EXPECT_EQ(listed, found->second);
    }
    std::printf("CORPUS-LISTED\t%u archives compared with the reference\n", static_cast<unsigned>(archives.size()));
}

}  // namespace
