// Cell text, images and the selection count, on entries made in memory.

#include "CatalogueTesting.h"

#include "catalogue/SelectionText.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::uint32_t DosTime(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute, unsigned second)
{
    const std::uint32_t date = ((year - 1980) << 9) | (month << 5) | day;
    const std::uint32_t time = (hour << 11) | (minute << 5) | (second / 2);
    return (date << 16) | time;
}

class CellText : public ::testing::Test {
protected:
    void Add(const std::wstring& path, bool folder, std::uint64_t size = 0, std::uint32_t time = 0)
    {
        auto entry = std::make_unique<ArchiveEntry>();
        entry->path = path;
        entry->isFolder = folder;
        entry->unpackedSize = size;
        entry->fileTime = time;
        entries.push_back(std::move(entry));
    }
    void Build() { catalogue.BuildFolderTree(std::move(entries)); }

    EntryList entries;
    ArchiveCatalogue catalogue;
};

TEST(DateText, DayWithoutZeroTimeWithZeros)
{
    EXPECT_EQ(FileTimeText(DosTime(2013, 7, 15, 14, 3, 58)), L"15 Jul 2013 14:03:58");
    EXPECT_EQ(FileTimeText(DosTime(2001, 1, 5, 9, 5, 2)), L"5 Jan 2001 09:05:02");
    EXPECT_EQ(FileTimeText(DosTime(2107, 12, 31, 23, 59, 58)), L"31 Dec 2107 23:59:58");
}

TEST(DateText, FieldsAreNotChecked)
{
    EXPECT_EQ(FileTimeText(0), L"01980 00:00:00");  // month 0 adds no text
    EXPECT_EQ(FileTimeText(DosTime(1990, 13, 31, 31, 63, 62)), L"311990 31:63:62");
}

TEST(DateText, CutToTheBuffer)
{
    wchar_t text[8];
    std::fill(std::begin(text), std::end(text), L'#');
    FormatFileTime(DosTime(2013, 7, 15, 14, 3, 58), text, 6);
    EXPECT_EQ(std::wstring(text), L"15 Ju");
    EXPECT_EQ(text[6], L'#');
}

TEST_F(CellText, FileRow)
{
    Add(L"docs\\report.pdf", false, 0, DosTime(2013, 7, 15, 14, 3, 58));
    Build();
    int image = -1;
    EXPECT_EQ(Cell(catalogue, 0, kColumnName, &image), L"report.pdf");
    EXPECT_EQ(image, kFileImage);
    EXPECT_EQ(Cell(catalogue, 0, kColumnType), L"File");
    EXPECT_EQ(Cell(catalogue, 0, kColumnSize), L"0");
    EXPECT_EQ(Cell(catalogue, 0, kColumnModified), L"15 Jul 2013 14:03:58");
}

TEST_F(CellText, FolderRowHasNoSize)
{
    Add(L"photos", true, 4096, DosTime(2001, 1, 5, 9, 5, 2));
    Build();
    int image = -1;
    EXPECT_EQ(Cell(catalogue, 0, kColumnName, &image), L"photos");
    EXPECT_EQ(image, kFolderImage);
    EXPECT_EQ(Cell(catalogue, 0, kColumnType), L"Folder");
    EXPECT_EQ(Cell(catalogue, 0, kColumnSize), L"");
    EXPECT_EQ(Cell(catalogue, 0, kColumnModified), L"5 Jan 2001 09:05:02");
}

TEST_F(CellText, ParentRowAndRowsOutsideTheView)
{
    Add(L"a", true);
    Build();
    ASSERT_TRUE(EnterFolder(catalogue, L"a"));
    int image = -1;
    EXPECT_EQ(Cell(catalogue, 0, kColumnName, &image), L"..");
    EXPECT_EQ(image, kFolderImage);
    for (int column : {kColumnType, kColumnSize, kColumnModified})
        EXPECT_EQ(Cell(catalogue, 0, column), L"");
    for (int row : {-1, 1, 100}) {
        EXPECT_EQ(Cell(catalogue, row, kColumnName, &image), L"");
        EXPECT_EQ(image, kFolderImage);
    }
}

TEST_F(CellText, SizesPrintAsPlainDigits)
{
    Add(L"big", false, 5000000000ull);
    Add(L"huge", false, 0x7FFFFFFFFFFFFFFFull);
    Build();
    EXPECT_EQ(Cell(catalogue, 0, kColumnSize), L"5000000000");
    EXPECT_EQ(Cell(catalogue, 1, kColumnSize), L"9223372036854775807");
}

TEST_F(CellText, LongNamesAreCutInsideTheBuffer)
{
    const std::wstring longName(1500, L'n');
    // The cut falls between the two halves of a surrogate pair.
    const std::wstring pairAtCut = std::wstring(998, L'p') + L"\U0001F600" + L"tail";
    Add(longName, false);
    Add(pairAtCut, false);
    Build();

    std::wstring buffer(kCellTextCapacity + 16, L'#');
    FillCell(catalogue, 0, kColumnName, &buffer[0], kCellTextCapacity);
    EXPECT_EQ(std::wcslen(buffer.c_str()), kCellTextCapacity - 1);
    EXPECT_EQ(buffer.substr(kCellTextCapacity), std::wstring(16, L'#'));

    FillCell(catalogue, 1, kColumnName, &buffer[0], kCellTextCapacity);
    EXPECT_EQ(std::wstring(buffer.c_str()), std::wstring(998, L'p'));
}

// What could disguise a name shows as what it is; any other name as it is.
TEST_F(CellText, BidiControlsAndLongBlankRunsShowVisibly)
{
    const std::vector<std::pair<std::wstring, std::wstring>> names = {
        {L"a-report\u202Efdp.exe", L"a-report<U+202E>fdp.exe"},
        {L"b\u2066x\u2069\u200E\u200F.txt", L"b<U+2066>x<U+2069><U+200E><U+200F>.txt"},
        {L"c.pdf" + std::wstring(40, L' ') + L".exe", L"c.pdf<40 blanks>.exe"},
        {L"d.pdf \u3000\u00A0.exe", L"d.pdf<3 blanks>.exe"},
        {L"e  two blanks \u00E9\u4E2D.txt", L"e  two blanks \u00E9\u4E2D.txt"},
    };
    for (const auto& name : names)
        Add(name.first, false);
    // A name of controls only: its shown text is cut inside the buffer.
    Add(L"f" + std::wstring(400, L'\u202E'), false);
    Build();
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(Cell(catalogue, static_cast<int>(i), kColumnName), names[i].second);
    EXPECT_EQ(catalogue.EntryAtRow(0)->path, names[0].first);  // the real name for everything else
    EXPECT_EQ(Cell(catalogue, 5, kColumnName).size(), kCellTextCapacity - 1);
    // Boxes and the progress dialog show names the same way, at any length.
    EXPECT_EQ(ShownName(names[0].first), names[0].second);
    EXPECT_EQ(ShownName(std::wstring(300, L'\u202E')).size(), 300u * 8);
}

TEST_F(CellText, DisplayInfoPointsAtTheBufferAndSetsTheImageForColumnZero)
{
    Add(L"f.txt", false, 12);
    Build();
    wchar_t buffer[kCellTextCapacity];
    LVITEMW item{};
    item.iItem = 0;
    item.iSubItem = kColumnSize;
    item.iImage = 77;
    AnswerDisplayInfo(catalogue, item, buffer);
    EXPECT_EQ(item.pszText, buffer);
    EXPECT_EQ(item.cchTextMax, 1000);
    EXPECT_EQ(std::wstring(buffer), L"12");
    EXPECT_EQ(item.iImage, 77);

    item.iSubItem = kColumnName;
    AnswerDisplayInfo(catalogue, item, buffer);
    EXPECT_EQ(std::wstring(buffer), L"f.txt");
    EXPECT_EQ(item.iImage, kFileImage);
}

TEST_F(CellText, SelectionCountLeavesOutTheParentRow)
{
    Add(L"a", true);
    Add(L"a\\1", false);
    Add(L"a\\2", false);
    Add(L"a\\3", false);
    Add(L"b", false);
    Build();
    // At the top level row 0 is an entry like any other.
    EXPECT_EQ(SelectionText(catalogue, 0, false), L"No selected items");
    EXPECT_EQ(SelectionText(catalogue, 1, true), L"Selected 1 item");
    EXPECT_EQ(SelectionText(catalogue, 2, true), L"Selected 2 items");

    ASSERT_TRUE(EnterFolder(catalogue, L"a"));
    EXPECT_EQ(SelectionText(catalogue, 4, true), L"Selected 3 items");
    EXPECT_EQ(SelectionText(catalogue, 3, false), L"Selected 3 items");
    EXPECT_EQ(SelectionText(catalogue, 2, true), L"Selected 1 item");
    EXPECT_EQ(SelectionText(catalogue, 1, true), L"No selected items");
    EXPECT_EQ(SelectionText(catalogue, 0, false), L"No selected items");
}

}  // namespace
