#pragma once

// The archive shown: its entries arranged into folders and the folder being looked
// at. Window-free: the frame owns one, turns list rows into calls here and does the
// window work around them (LockWindowUpdate, item count, repaint, status bar).

#include "catalogue/ArchiveEntry.h"

#include <cstdint>
#include <string>
#include <vector>

// What a double-click on a row asks for.
enum class RowActivation {
    None,         // no entry there (outside the view)
    LeaveFolder,  // the ".." row
    EnterFolder,  // a folder entry
    OpenFile,     // a file entry
};

class ArchiveCatalogue {
public:
    std::wstring archivePath;                // as given to OpenArchive; empty before the first open
    EntryList rootEntries;                   // top level, display order
    ArchiveEntry* currentFolder = nullptr;   // none = top level
    std::vector<ArchiveEntry*> folderStack;  // views left by EnterFolder, none = top level
    std::uint64_t totalSize = 0;             // EntrySize summed over rootEntries
    size_t entryCount = 0;                   // every entry of the tree

    ArchiveCatalogue() = default;
    ArchiveCatalogue(const ArchiveCatalogue&) = delete;
    ArchiveCatalogue& operator=(const ArchiveCatalogue&) = delete;
    // A catalogue built on another thread moves into place whole: the entries stay
    // where they are, and so do the pointers to them.
    ArchiveCatalogue(ArchiveCatalogue&&) noexcept = default;
    ArchiveCatalogue& operator=(ArchiveCatalogue&&) noexcept = default;

    void ClearCatalogue();

    // Takes the entries read (header order), places each into the nearest folder
    // entry whose path prefixes it, puts every level into display order, totals
    // totalSize and shows the top level. Replaces whatever tree was there.
    void BuildFolderTree(EntryList entries);

    // Rows of the current view: a folder's view starts with the ".." row.
    int RowCount() const noexcept;
    // The entry a row shows; none for the ".." row and rows outside the view.
    ArchiveEntry* EntryAtRow(int row) const noexcept;
    bool IsParentRow(int row) const noexcept { return currentFolder != nullptr && row == 0; }

    // The state half of the double-click; `entry` receives the row's entry.
    RowActivation ActivationOf(int row, ArchiveEntry*& entry) const noexcept;

    // State steps of navigation; the frame wraps them in its window work.
    void EnterFolder(ArchiveEntry* folder);
    // False (and nothing changes) at the top level.
    bool LeaveFolder() noexcept;
    void ShowTopLevel() noexcept;
};
