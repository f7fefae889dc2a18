// The rules behind a job that need no archive: unsafe names, progress figures,
// paths of any length and which entries a mode takes.

#include "ExtractTesting.h"

#include "catalogue/ArchiveCatalogue.h"
#include "catalogue/ArchiveEntry.h"
#include "extract/EntryFilter.h"
#include "extract/ExtractionPaths.h"
#include "extract/ProgressText.h"
#include "extract/UnsafeName.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text)
        narrow += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    return narrow;
}

TEST(UnsafeNames, NamesThatCouldLeaveTheDestination)
{
    for (const wchar_t* name :
         {L"..", L"..\\x.txt", L"a\\..\\..\\x.txt", L".. \\x", L"a\\.. .\\x", L"a\\...", L"a\\. .", L"..\\", L"\\x.txt",
          L"/x.txt", L"\\\\server\\share\\x", L"C:x.txt", L"C:\\x.txt", L"a.txt:stream",
          L"a.txt:..\\..\\Startup\\x.lnk", L"a\x01.txt", L"a\\b\x1F", L"a\x7F"})
        EXPECT_TRUE(IsUnsafeEntryName(name)) << Narrow(name);
}

TEST(UnsafeNames, NameThatFillsTheLibrarysFieldIsRefusedWhileOneShorterPasses)
{
    // The library hands out the first 1,023 characters of a longer name whole, but
    // writes under the full name: what follows could climb out unchecked.
    EXPECT_TRUE(IsUnsafeEntryName(std::wstring(1024, L'a')));
    EXPECT_FALSE(IsUnsafeEntryName(std::wstring(1023, L'a')));
}

TEST(UnsafeNames, OrdinaryNamesPass)
{
    for (const wchar_t* name : {L"a.txt", L"docs\\a.txt", L"...a", L"a..b\\c", L".hidden", L"a\\.", L"x. y",
                                L"\u65E5\u672C.txt", L"a b\\c d.txt", L".a.\\b"})
        EXPECT_FALSE(IsUnsafeEntryName(name)) << Narrow(name);
}

TEST(ProgressFigures, PositionsAndPercentages)
{
    EXPECT_EQ(ProgressPosition(0, 1000), 0u);
    EXPECT_EQ(ProgressPosition(1000, 8000), 8192u);
    EXPECT_EQ(ProgressPosition(999, 1000), 65470u);  // truncated
    EXPECT_EQ(ProgressPosition(2000, 1000), 131072u);
    EXPECT_EQ(ProgressPosition(0, 0), 0u);
    EXPECT_EQ(ProgressPosition(1, 0), 65536u);
    EXPECT_EQ(ProgressPosition(~0ull, 1), 0x7FFFFFFFu);

    EXPECT_EQ(PercentText(8192), L"13%");   // 12.5 rounds up
    EXPECT_EQ(PercentText(24248), L"37%");  // 36.999...
    EXPECT_EQ(PercentText(65536), L"100%");
    EXPECT_EQ(PercentText(131072), L"200%");
    EXPECT_EQ(TotalProgressText(L"Total progress: %s", 24248), L"Total progress: 37%");
}

TEST(ExtractionPaths, AbsoluteFoldersAreNormalized)
{
    EXPECT_EQ(NormalizedFolderPath(L"C:\\dl\\photos\\"), L"C:\\dl\\photos");
    EXPECT_EQ(NormalizedFolderPath(L"C:/dl/x/../photos"), L"C:\\dl\\photos");
    EXPECT_EQ(NormalizedFolderPath(L"C:\\"), L"C:\\");
    EXPECT_EQ(NormalizedFolderPath(L"\\\\server\\share\\dl\\"), L"\\\\server\\share\\dl");
    for (const wchar_t* relative : {L"", L"dest", L"dl\\photos", L"\\dl", L"C:dl"})
        EXPECT_EQ(NormalizedFolderPath(relative), L"") << Narrow(relative);

    EXPECT_EQ(JoinPath(L"C:\\dl", L"a\\b.txt"), L"C:\\dl\\a\\b.txt");
    EXPECT_EQ(JoinPath(L"C:\\", L"b.txt"), L"C:\\b.txt");

    const std::wstring deep = L"C:\\" + std::wstring(300, L'd');
    EXPECT_EQ(PlatformPath(L"C:\\short"), L"C:\\short");
    EXPECT_EQ(PlatformPath(deep), L"\\\\?\\" + deep);
    EXPECT_EQ(PlatformPath(L"\\\\server\\share\\" + std::wstring(300, L'd')),
              L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L'd'));
    EXPECT_TRUE(FitsLibrary(L"C:\\dest", std::wstring(1023, L'n')));
    EXPECT_FALSE(FitsLibrary(std::wstring(1100, L'd'), std::wstring(1023, L'n')));
}

std::unique_ptr<ArchiveEntry> Entry(const std::wstring& path, bool folder)
{
    auto entry = std::make_unique<ArchiveEntry>();
    entry->path = path;
    entry->isFolder = folder;
    return entry;
}

TEST(EntryFilters, FolderTakesItselfAndEverythingBelowIgnoringCase)
{
    const EntryFilter docs = EntryFilter::ForFolder(L"docs");
    for (const wchar_t* name : {L"docs", L"docs\\a.txt", L"DOCS\\img\\b.png", L"Docs"})
        EXPECT_TRUE(docs.Takes(name)) << Narrow(name);
    for (const wchar_t* name : {L"docs2\\c.txt", L"docsX.txt", L"other\\docs\\d.txt", L"doc", L"top.txt"})
        EXPECT_FALSE(docs.Takes(name)) << Narrow(name);
}

// The tree and a job's choice fold letter case alike, beyond basic Latin too: what
// the user sees inside a folder is what "All files from current folder" takes.
TEST(EntryFilters, TheTreeAndTheFilterAgreeOnLettersBeyondBasicLatin)
{
    EntryList entries;
    entries.push_back(Entry(L"\u00C4rger", true));          // Ärger
    entries.push_back(Entry(L"\u00E4rger\\x.txt", false));  // ärger\x.txt
    entries.push_back(Entry(L"\u00E4rgerlich.txt", false));
    ArchiveCatalogue catalogue;
    catalogue.BuildFolderTree(std::move(entries));
    ASSERT_EQ(catalogue.RowCount(), 2);
    ArchiveEntry* folder = catalogue.EntryAtRow(0);
    ASSERT_TRUE(folder->isFolder);
    ASSERT_EQ(folder->children.size(), 1u);
    EXPECT_EQ(folder->children[0]->path, L"\u00E4rger\\x.txt");

    const EntryFilter current = EntryFilter::ForFolder(folder->path);
    EXPECT_TRUE(current.Takes(L"\u00E4rger\\x.txt"));
    EXPECT_FALSE(current.Takes(L"\u00E4rgerlich.txt"));
    EXPECT_EQ(current.CountTaken(catalogue), 2u);
}

TEST(EntryFilters, SelectionTakesFilesAndFoldersWithTheirContents)
{
    const auto folder = Entry(L"docs\\img", true);
    const auto file = Entry(L"docs\\a.txt", false);
    const EntryFilter selection = EntryFilter::ForEntries({folder.get(), file.get()});
    for (const wchar_t* name : {L"docs\\img", L"DOCS\\IMG\\b.png", L"docs\\img\\deep\\c", L"docs\\A.TXT"})
        EXPECT_TRUE(selection.Takes(name)) << Narrow(name);
    for (const wchar_t* name : {L"docs", L"docs\\a.txt\\x", L"docs\\img2", L"docs\\b.txt"})
        EXPECT_FALSE(selection.Takes(name)) << Narrow(name);

    EXPECT_FALSE(EntryFilter::ForEntries({}).Takes(L"docs"));
    EXPECT_TRUE(EntryFilter().Takes(L"anything"));
    EXPECT_TRUE(EntryFilter::ForEntries({}).TakesNothing());
    EXPECT_FALSE(selection.TakesNothing());
    EXPECT_FALSE(EntryFilter().TakesNothing());
}

// One run of rows (Ctrl+A, Shift+click) is read without asking each row; either
// way the entries come in row order, and the ".." row gives none.
TEST(SelectedRows, ARunAndScatteredRowsGiveTheirEntriesInRowOrder)
{
    EntryList entries;
    entries.push_back(Entry(L"f", true));
    for (const wchar_t* name : {L"f\\a", L"f\\b", L"f\\c", L"f\\d", L"f\\e"})
        entries.push_back(Entry(name, false));
    ArchiveCatalogue catalogue;
    catalogue.BuildFolderTree(std::move(entries));
    catalogue.EnterFolder(catalogue.EntryAtRow(0));
    TestList list(catalogue);
    const auto selected = [&](const std::vector<int>& rows) {
        list.Refresh();
        list.SelectRows(rows);
        Names paths;
        for (const ArchiveEntry* entry : SelectedEntries(list.List(), catalogue))
            paths.push_back(entry->path);
        return paths;
    };
    EXPECT_EQ(selected({0, 1, 2}), (Names{L"f\\a", L"f\\b"}));
    EXPECT_EQ(selected({2, 3, 4}), (Names{L"f\\b", L"f\\c", L"f\\d"}));
    EXPECT_EQ(selected({-1}), (Names{L"f\\a", L"f\\b", L"f\\c", L"f\\d", L"f\\e"}));
    EXPECT_EQ(selected({1, 3, 5}), (Names{L"f\\a", L"f\\c", L"f\\e"}));
    EXPECT_EQ(selected({1, 2, 4, 5}), (Names{L"f\\a", L"f\\b", L"f\\d", L"f\\e"}));
    EXPECT_EQ(selected({1, 2, 5}), (Names{L"f\\a", L"f\\b", L"f\\e"}));
    EXPECT_TRUE(selected({}).empty());
}

}  // namespace
