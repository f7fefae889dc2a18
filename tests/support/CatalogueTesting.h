#pragma once

// The frame's OpenArchive sequence without its window work, and views of the
// current folder as the list would show them.

#include "catalogue/ArchiveCatalogue.h"
#include "catalogue/ArchiveErrors.h"
#include "catalogue/ArchiveListing.h"
#include "catalogue/CellText.h"

#include <string>
#include <vector>

// Opening as the frame does, less its window work; `askPassword` stands for the
// frame's prompt (none declines).
inline OpenOutcome OpenIntoCatalogue(ArchiveCatalogue& catalogue, const std::wstring& path,
                                     const PasswordRequest& askPassword = {}, HWND owner = nullptr)
{
    return OpenIntoCatalogue(catalogue, path, owner, askPassword);
}

// A password request that answers `password` and counts how often it was asked.
struct CountingPassword {
    std::wstring password;
    int asked = 0;

    PasswordRequest Request()
    {
        return [this](std::wstring& answer) {
            ++asked;
            answer = password;
            return true;
        };
    }
};

inline std::wstring Cell(const ArchiveCatalogue& catalogue, int row, int column, int* image = nullptr)
{
    wchar_t text[kCellTextCapacity];
    const int shown = FillCell(catalogue, row, column, text, kCellTextCapacity);
    if (image)
        *image = shown;
    return text;
}

// The File name column of every row of the current view.
inline std::vector<std::wstring> RowNames(const ArchiveCatalogue& catalogue)
{
    std::vector<std::wstring> names;
    for (int row = 0; row < catalogue.RowCount(); ++row)
        names.push_back(Cell(catalogue, row, kColumnName));
    return names;
}

// The row whose File name is `name` in the current view, or -1.
inline int RowNamed(const ArchiveCatalogue& catalogue, const std::wstring& name)
{
    for (int row = 0; row < catalogue.RowCount(); ++row) {
        if (Cell(catalogue, row, kColumnName) == name)
            return row;
    }
    return -1;
}

// The entry shown as `name` in the current view, or null.
inline ArchiveEntry* EntryNamed(const ArchiveCatalogue& catalogue, const std::wstring& name)
{
    return catalogue.EntryAtRow(RowNamed(catalogue, name));
}

// Enters the folder shown as `name`; false when there is no such folder row.
inline bool EnterFolder(ArchiveCatalogue& catalogue, const std::wstring& name)
{
    ArchiveEntry* entry = EntryNamed(catalogue, name);
    if (!entry || !entry->isFolder)
        return false;
    catalogue.EnterFolder(entry);
    return true;
}

// Lists the archive into `catalogue` as the main window does, with its password
// prompt (owned by no window here); false when the library refused the archive.
bool OpenCatalogue(ArchiveCatalogue& catalogue, const std::wstring& archivePath);

using Names = std::vector<std::wstring>;
