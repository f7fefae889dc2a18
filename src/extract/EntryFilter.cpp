#include "extract/EntryFilter.h"

#include "catalogue/ArchiveCatalogue.h"
#include "framework/LetterCase.h"

#include <commctrl.h>

namespace {

int NextSelectedRow(HWND list, int after)
{
    return static_cast<int>(
        ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(after), MAKELPARAM(LVNI_SELECTED, 0)));
}

bool IsRowSelected(HWND list, int row)
{
    return (::SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

}  // namespace

std::vector<const ArchiveEntry*> SelectedEntries(HWND list, const ArchiveCatalogue& catalogue)
{
    std::vector<const ArchiveEntry*> entries;
    if (!list)
        return entries;
    const int selected = static_cast<int>(::SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0));
    if (selected <= 0)
        return entries;
    // A message per row costs more than the rest of the work together in some
    // list views (tens of microseconds a row). Ctrl+A and Shift+click select one
    // run of rows: when the first selected row and the one `selected - 1` rows
    // further are selected and none lies beyond, every row between is too.
    const int first = NextSelectedRow(list, -1);
    const int last = first + selected - 1;
    if (first >= 0 && IsRowSelected(list, last) && NextSelectedRow(list, last) < 0) {
        entries.reserve(static_cast<size_t>(selected));
        for (int row = first; row <= last; ++row) {
            if (const ArchiveEntry* entry = catalogue.EntryAtRow(row))
                entries.push_back(entry);
        }
        return entries;
    }
    // Otherwise the rows one by one: asking for the next selected row costs far
    // less than asking every row for its state.
    for (int row = NextSelectedRow(list, -1); row >= 0; row = NextSelectedRow(list, row)) {
        if (const ArchiveEntry* entry = catalogue.EntryAtRow(row))
            entries.push_back(entry);
    }
    return entries;
}

EntryFilter EntryFilter::ForJob(const ExtractionJob& job)
{
    switch (job.extractMode) {
    case ExtractCurrentFolder:
        return job.currentFolder ? ForFolder(job.currentFolder->path) : EntryFilter();
    case ExtractSelected:
        return job.catalogue ? ForEntries(SelectedEntries(job.list, *job.catalogue)) : ForEntries({});
    case ExtractAll:
    default:
        return EntryFilter();
    }
}

EntryFilter EntryFilter::ForFolder(const std::wstring& folderPath)
{
    EntryFilter filter;
    filter.all = false;
    filter.Choose(folderPath, true);
    return filter;
}

EntryFilter EntryFilter::ForEntries(const std::vector<const ArchiveEntry*>& entries)
{
    EntryFilter filter;
    filter.all = false;
    for (const ArchiveEntry* entry : entries)
        filter.Choose(entry->path, entry->isFolder);
    return filter;
}

void EntryFilter::Choose(const std::wstring& path, bool withContents)
{
    std::wstring key = FoldedCase(path);
    if (withContents)
        folders.insert(key);
    chosen.insert(std::move(key));
}

bool EntryFilter::Takes(const std::wstring& name) const
{
    if (all)
        return true;
    if (chosen.empty())
        return false;
    const std::wstring key = FoldedCase(name);
    if (chosen.count(key))
        return true;
    if (folders.empty())
        return false;
    for (size_t slash = key.find(L'\\'); slash != std::wstring::npos; slash = key.find(L'\\', slash + 1)) {
        probe.assign(key, 0, slash);
        if (folders.count(probe))
            return true;
    }
    return false;
}

size_t EntryFilter::CountTaken(const ArchiveCatalogue& catalogue) const
{
    size_t taken = 0;
    VisitTree(catalogue.rootEntries, [&](const ArchiveEntry& entry) {
        if (Takes(entry.path))
            ++taken;
        return true;
    });
    return taken;
}
