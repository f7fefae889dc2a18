#pragma once

// What the list draws in each cell of the current view, produced on request into
// one caller-owned buffer, without allocation.

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <string>

class ArchiveCatalogue;

constexpr size_t kCellTextCapacity = 1000;  // units, terminator included

enum CatalogueColumn { kColumnName = 0, kColumnType = 1, kColumnSize = 2, kColumnModified = 3 };
// Indexes into the list's small image list.
constexpr int kFileImage = 0;
constexpr int kFolderImage = 1;

// Writes the text of (row, column) into `text` (at most `capacity` units, always
// terminated, a long text cut before a whole character) and returns the row's image.
int FillCell(const ArchiveCatalogue& catalogue, int row, int column, wchar_t* text, size_t capacity);

// The LVN_GETDISPINFOW answer: text into `buffer` (kCellTextCapacity units) with the
// item pointing at it; the image for column 0. The request's mask is not consulted.
void AnswerDisplayInfo(const ArchiveCatalogue& catalogue, LVITEMW& item, wchar_t* buffer);

// A name as the list shows it wherever the user reads it: bidirectional controls
// as "<U+202E>", runs of three or more blanks as "<12 blanks>", the rest as it is.
std::wstring ShownName(const std::wstring& name);

// "15 Jul 2013 14:03:58" from an MS-DOS date and time; no field is checked.
void FormatFileTime(std::uint32_t fileTime, wchar_t* text, size_t capacity);
// Plain decimal digits, as a signed 64-bit value prints.
void FormatSize(std::uint64_t size, wchar_t* text, size_t capacity);

inline std::wstring FileTimeText(std::uint32_t fileTime)
{
    wchar_t text[64];
    FormatFileTime(fileTime, text, 64);
    return text;
}
