// The folder tree, the current view and navigation, on entries made in memory.

#include "CatalogueTesting.h"

#include "catalogue/DisplayOrder.h"
#include "catalogue/RowSearch.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<ArchiveEntry> Entry(const std::wstring& path, bool folder, std::uint64_t size = 0)
{
    auto entry = std::make_unique<ArchiveEntry>();
    entry->path = path;
    entry->isFolder = folder;
    entry->unpackedSize = size;
    return entry;
}

std::unique_ptr<ArchiveEntry> Folder(const std::wstring& path)
{
    return Entry(path, true);
}
std::unique_ptr<ArchiveEntry> File(const std::wstring& path, std::uint64_t size = 0)
{
    return Entry(path, false, size);
}

template <typename... Entries> EntryList List(Entries... entries)
{
    EntryList list;
    (list.push_back(std::move(entries)), ...);
    return list;
}

size_t CountEntries(const EntryList& level)
{
    size_t count = 0;
    for (const auto& entry : level)
        count += 1 + CountEntries(entry->children);
    return count;
}

TEST(DisplayOrder, FoldersFirstThenPathsByCodeUnit)
{
    ArchiveCatalogue catalogue;
    catalogue.BuildFolderTree(List(File(L"a.txt"), File(L"B.txt"), Folder(L"c"), File(L"alpha.txt"), File(L"Zeta.txt"),
                                   File(L"\u00E9t\u00E9.txt")));
    EXPECT_EQ(RowNames(catalogue), (Names{L"c", L"B.txt", L"Zeta.txt", L"a.txt", L"alpha.txt", L"\u00E9t\u00E9.txt"}));
}

TEST(DisplayOrder, ComparesFullPathsNotShownNames)
{
    ArchiveCatalogue catalogue;
    catalogue.BuildFolderTree(List(Folder(L"docs"), File(L"docs\\z\\a.txt"), File(L"docs\\b.txt")));
    ASSERT_TRUE(EnterFolder(catalogue, L"docs"));
    EXPECT_EQ(RowNames(catalogue), (Names{L"..", L"b.txt", L"a.txt"}));
}

TEST(DisplayOrder, PredicateIsStrict)
{
    const auto a = File(L"same");
    const auto b = File(L"same");
    const auto shorter = File(L"sam");
    EXPECT_FALSE(EntryPrecedes(*a, *b));
    EXPECT_FALSE(EntryPrecedes(*b, *a));
    EXPECT_TRUE(EntryPrecedes(*shorter, *a));
    EXPECT_FALSE(EntryPrecedes(*a, *shorter));
    // Units above 0x7FFF sort as unsigned numbers.
    EXPECT_TRUE(EntryPrecedes(*File(L"z"), *File(L"\uFF41")));
}

TEST(FolderTree, EveryEntryStandsInExactlyOnePlace)
{
    ArchiveCatalogue catalogue;
    catalogue.BuildFolderTree(List(File(L"setup.exe", 5), Folder(L"setup"), File(L"setup\\readme.txt", 7),
                                   File(L"photos\\a.jpg", 1), File(L"photos\\b.jpg", 2), Folder(L"a"),
                                   File(L"a\\b\\c.txt", 3), Folder(L"Docs"), File(L"docs\\x.txt", 4)));
    EXPECT_EQ(CountEntries(catalogue.rootEntries), 9u);
    EXPECT_EQ(RowNames(catalogue), (Names{L"Docs", L"a", L"setup", L"a.jpg", L"b.jpg", L"setup.exe"}));
    EXPECT_EQ(catalogue.totalSize, 22u);

    ASSERT_TRUE(EnterFolder(catalogue, L"setup"));
    EXPECT_EQ(RowNames(catalogue), (Names{L"..", L"readme.txt"}));
    catalogue.LeaveFolder();
    ASSERT_TRUE(EnterFolder(catalogue, L"a"));
    EXPECT_EQ(RowNames(catalogue), (Names{L"..", L"c.txt"}));
    catalogue.LeaveFolder();
    ASSERT_TRUE(EnterFolder(catalogue, L"Docs"));
    EXPECT_EQ(RowNames(catalogue), (Names{L"..", L"x.txt"}));
}

TEST(FolderTree, NearestFolderWithAHeaderWinsAndCaseIsFoldedPerUnit)
{
    ArchiveCatalogue catalogue;
    catalogue.BuildFolderTree(List(File(L"DOCS\\IMG\\\u00C4.png"), Folder(L"docs\\img"), Folder(L"Docs"),
                                   File(L"docs\\\u00E4\\deep.txt"), Folder(L"Docs\\\u00C4")));
    ASSERT_TRUE(EnterFolder(catalogue, L"Docs"));
    // Capitals first: the folder Docs/A-umlaut precedes docs/img.
    EXPECT_EQ(RowNames(catalogue), (Names{L"..", L"\u00C4", L"img"}));
    ASSERT_TRUE(EnterFolder(catalogue, L"img"));
    EXPECT_EQ(RowNames(catalogue), (Names{L"..", L"\u00C4.png"}));
    catalogue.LeaveFolder();
    ASSERT_TRUE(EnterFolder(catalogue, L"\u00C4"));
    EXPECT_EQ(RowNames(catalogue), (Names{L"..", L"deep.txt"}));
}

TEST(FolderTree, OfTwoFoldersWithOnePathTheFirstHeaderTakesTheContents)
{
    ArchiveCatalogue catalogue;
    catalogue.BuildFolderTree(List(Folder(L"Dup"), Folder(L"DUP"), File(L"dup\\x.txt")));
    ASSERT_EQ(catalogue.RowCount(), 2);
    const ArchiveEntry* first = catalogue.EntryAtRow(1);  // "Dup" sorts after "DUP"
    const ArchiveEntry* second = catalogue.EntryAtRow(0);
    EXPECT_EQ(first->path, L"Dup");
    EXPECT_EQ(first->children.size(), 1u);
    EXPECT_TRUE(second->children.empty());
}

TEST(FolderTree, FolderSizeIsItsContentsNotItsOwnField)
{
    ArchiveCatalogue catalogue;
    auto folder = Folder(L"f");
    folder->unpackedSize = 1000;
    catalogue.BuildFolderTree(
        List(std::move(folder), File(L"f\\a", 3), Folder(L"f\\g"), File(L"f\\g\\b", 4), File(L"top", 5)));
    EXPECT_EQ(EntrySize(*catalogue.EntryAtRow(0)), 7u);
    EXPECT_EQ(EntrySize(*catalogue.EntryAtRow(1)), 5u);
    EXPECT_EQ(catalogue.totalSize, 12u);
}

TEST(FolderTree, DeepNestingBuildsAndFreesWithoutRecursion)
{
    ArchiveCatalogue catalogue;
    EntryList entries;
    std::wstring path = L"d";
    for (int level = 0; level < 500; ++level) {
        entries.push_back(Folder(path));
        path += L"\\d";
    }
    entries.push_back(File(path, 9));
    catalogue.BuildFolderTree(std::move(entries));
    ASSERT_EQ(catalogue.RowCount(), 1);
    EXPECT_EQ(catalogue.totalSize, 9u);
    for (int level = 0; level < 500; ++level)
        ASSERT_TRUE(EnterFolder(catalogue, L"d")) << level;
    EXPECT_EQ(RowNames(catalogue), (Names{L"..", L"d"}));
    EXPECT_EQ(catalogue.folderStack.size(), 500u);
    catalogue.ClearCatalogue();

    // Far deeper than any stack would survive recursively.
    auto root = Folder(L"r");
    ArchiveEntry* tip = root.get();
    for (int level = 0; level < 200000; ++level) {
        tip->children.push_back(Folder(L"r"));
        tip = tip->children.back().get();
    }
    tip->children.push_back(File(L"leaf", 1));
    EXPECT_EQ(EntrySize(*root), 1u);
    root.reset();
}

TEST(CurrentView, RowsMapToEntriesWithTheParentRowFirst)
{
    ArchiveCatalogue catalogue;
    catalogue.BuildFolderTree(List(Folder(L"a"), Folder(L"a\\b"), File(L"a\\f.txt"), Folder(L"empty")));
    EXPECT_EQ(catalogue.RowCount(), 2);
    EXPECT_EQ(catalogue.EntryAtRow(-1), nullptr);
    EXPECT_EQ(catalogue.EntryAtRow(2), nullptr);
    EXPECT_FALSE(catalogue.IsParentRow(0));

    ArchiveEntry* entry = nullptr;
    EXPECT_EQ(catalogue.ActivationOf(-1, entry), RowActivation::None);
    EXPECT_EQ(catalogue.ActivationOf(0, entry), RowActivation::EnterFolder);
    catalogue.EnterFolder(entry);
    EXPECT_EQ(catalogue.RowCount(), 3);
    EXPECT_TRUE(catalogue.IsParentRow(0));
    EXPECT_EQ(catalogue.EntryAtRow(0), nullptr);
    EXPECT_EQ(catalogue.ActivationOf(0, entry), RowActivation::LeaveFolder);
    EXPECT_EQ(catalogue.ActivationOf(2, entry), RowActivation::OpenFile);
    EXPECT_EQ(entry->path, L"a\\f.txt");
    EXPECT_EQ(catalogue.ActivationOf(3, entry), RowActivation::None);
    EXPECT_EQ(catalogue.ActivationOf(-1, entry), RowActivation::None);
}

TEST(CurrentView, EachStepInPushesAndEachStepOutPops)
{
    ArchiveCatalogue catalogue;
    catalogue.BuildFolderTree(List(Folder(L"a"), Folder(L"a\\b"), Folder(L"empty")));
    ASSERT_TRUE(EnterFolder(catalogue, L"empty"));
    EXPECT_EQ(RowNames(catalogue), (Names{L".."}));
    EXPECT_TRUE(catalogue.LeaveFolder());

    ASSERT_TRUE(EnterFolder(catalogue, L"a"));
    ASSERT_TRUE(EnterFolder(catalogue, L"b"));
    EXPECT_EQ(catalogue.currentFolder->path, L"a\\b");
    EXPECT_EQ(catalogue.folderStack.size(), 2u);
    EXPECT_TRUE(catalogue.LeaveFolder());
    EXPECT_EQ(catalogue.currentFolder->path, L"a");
    EXPECT_TRUE(catalogue.LeaveFolder());
    EXPECT_EQ(catalogue.currentFolder, nullptr);
    EXPECT_TRUE(catalogue.folderStack.empty());
    EXPECT_FALSE(catalogue.LeaveFolder());
    EXPECT_EQ(catalogue.RowCount(), 2);
}

TEST(CurrentView, ClearingEmptiesEverything)
{
    ArchiveCatalogue catalogue;
    catalogue.archivePath = L"C:\\x.rar";
    catalogue.BuildFolderTree(List(Folder(L"a"), File(L"a\\f", 4)));
    ASSERT_TRUE(EnterFolder(catalogue, L"a"));
    catalogue.ClearCatalogue();
    EXPECT_TRUE(catalogue.archivePath.empty());
    EXPECT_TRUE(catalogue.rootEntries.empty());
    EXPECT_EQ(catalogue.currentFolder, nullptr);
    EXPECT_TRUE(catalogue.folderStack.empty());
    EXPECT_EQ(catalogue.totalSize, 0u);
    EXPECT_EQ(catalogue.RowCount(), 0);
}

// Typing in the list: the next row whose name begins with the letters typed, from
// the row asked on and round to the top, in any letter case; -1 when none does.
TEST(CurrentView, TypingFindsTheNextRowWhoseNameBeginsWithTheLetters)
{
    ArchiveCatalogue catalogue;
    catalogue.BuildFolderTree(List(Folder(L"Recipes"), File(L"Readme.txt"), File(L"\u00c9t\u00e9.txt"),
                                   File(L"rest.txt"), File(L"Recipes\\x.txt")));
    ASSERT_EQ(RowNames(catalogue), (Names{L"Recipes", L"Readme.txt", L"rest.txt", L"\u00c9t\u00e9.txt"}));
    EXPECT_EQ(FindRow(catalogue, L"re", 0, true, true), 0);
    EXPECT_EQ(FindRow(catalogue, L"RE", 1, true, true), 1);
    EXPECT_EQ(FindRow(catalogue, L"res", 0, true, true), 2);
    EXPECT_EQ(FindRow(catalogue, L"rec", 1, true, true), 0);    // round to the top
    EXPECT_EQ(FindRow(catalogue, L"rec", 1, true, false), -1);  // not without LVFI_WRAP
    EXPECT_EQ(FindRow(catalogue, L"\u00e9t\u00c9", 0, true, true), 3);
    EXPECT_EQ(FindRow(catalogue, L"readme", 0, false, true), -1);  // a whole name only
    EXPECT_EQ(FindRow(catalogue, L"README.TXT", 0, false, true), 1);
    EXPECT_EQ(FindRow(catalogue, L"x", 0, true, true), -1);
    EXPECT_EQ(FindRow(catalogue, L"re", 99, true, true), 0);

    ASSERT_TRUE(EnterFolder(catalogue, L"Recipes"));
    EXPECT_EQ(FindRow(catalogue, L".", 0, true, true), 0);
    EXPECT_EQ(FindRow(catalogue, L"X", 0, true, true), 1);

    LVFINDINFOW byPosition = {};
    byPosition.flags = LVFI_NEARESTXY;
    EXPECT_EQ(FindRowForList(catalogue, byPosition, 0), -1);
}

}  // namespace
