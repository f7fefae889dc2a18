#include "catalogue/RowSearch.h"

#include "catalogue/ArchiveCatalogue.h"
#include "framework/LetterCase.h"

#include <shlwapi.h>

#include <cwchar>
#include <vector>

namespace {

const wchar_t* RowName(const ArchiveCatalogue& catalogue, int row) noexcept
{
    if (catalogue.IsParentRow(row))
        return L"..";
    const ArchiveEntry* entry = catalogue.EntryAtRow(row);
    return entry ? PathFindFileNameW(entry->path.c_str()) : nullptr;
}

}  // namespace

int FindRow(const ArchiveCatalogue& catalogue, const std::wstring& text, int start, bool prefix, bool wrap)
{
    const int count = catalogue.RowCount();
    if (text.empty() || count <= 0)
        return -1;
    const std::wstring wanted = FoldedCase(text);
    // Each name's first letters are folded into this one buffer: no allocation per row
    // in a folder of a million.
    std::vector<wchar_t> folded(wanted.size());
    const int first = start >= 0 && start < count ? start : 0;
    const int rows = wrap ? count : count - first;
    for (int step = 0; step < rows; ++step) {
        const int row = (first + step) % count;
        const wchar_t* name = RowName(catalogue, row);
        if (!name)
            continue;
        const size_t length = std::wcslen(name);
        if (length < wanted.size() || (!prefix && length != wanted.size()))
            continue;
        std::wmemcpy(folded.data(), name, wanted.size());
        FoldCase(folded.data(), folded.size());
        if (std::wmemcmp(folded.data(), wanted.data(), wanted.size()) == 0)
            return row;
    }
    return -1;
}

int FindRowForList(const ArchiveCatalogue& catalogue, const LVFINDINFOW& find, int start)
{
    if (!(find.flags & (LVFI_STRING | LVFI_PARTIAL)) || find.psz == nullptr)
        return -1;
    return FindRow(catalogue, find.psz, start, (find.flags & LVFI_PARTIAL) != 0, (find.flags & LVFI_WRAP) != 0);
}
