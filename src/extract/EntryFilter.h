#pragma once

// Which entries of the archive a job takes, decided by name as the worker meets
// each header. Built on the user-interface thread before the worker starts; the
// worker then only reads it, so it never has to ask the list across threads.

#include "extract/ExtractionJob.h"

#include <string>
#include <unordered_set>
#include <vector>

// The entries of the list's selected rows, in row order; the ".." row has none.
// Reads the list: user-interface thread only.
std::vector<const ArchiveEntry*> SelectedEntries(HWND list, const ArchiveCatalogue& catalogue);

class EntryFilter {
public:
    // Takes every entry.
    EntryFilter() = default;

    // The job's choice: every entry; the current folder with everything below it
    // (every entry at the top level); or the selected entries, a selected folder
    // with everything below it.
    static EntryFilter ForJob(const ExtractionJob& job);
    static EntryFilter ForFolder(const std::wstring& folderPath);
    static EntryFilter ForEntries(const std::vector<const ArchiveEntry*>& entries);

    // Whether the entry named `name` (its full path in the archive) is taken:
    // its name equals a chosen path, or it lies below a chosen folder. Letter
    // case is ignored.
    bool Takes(const std::wstring& name) const;

    bool TakesAll() const noexcept { return all; }
    // Nothing was chosen: a selection of the ".." row alone.
    bool TakesNothing() const noexcept { return !all && chosen.empty(); }

    // How many of the catalogue's entries it takes: the headers a job must handle
    // before it has done everything it was asked (an entry split across volumes
    // counts once, as it stands in the catalogue once).
    size_t CountTaken(const ArchiveCatalogue& catalogue) const;

private:
    void Choose(const std::wstring& path, bool withContents);

    bool all = true;
    std::unordered_set<std::wstring> chosen;   // folded paths
    std::unordered_set<std::wstring> folders;  // folded paths whose contents count too
    mutable std::wstring probe;                // reused for folder prefixes
};
