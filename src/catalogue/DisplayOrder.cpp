#include "catalogue/DisplayOrder.h"

#include <algorithm>

namespace {

// wchar_t is signed on some compilers' targets; the order must not depend on it.
bool PathPrecedes(const std::wstring& a, const std::wstring& b)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const auto unitA = static_cast<char16_t>(a[i]);
        const auto unitB = static_cast<char16_t>(b[i]);
        if (unitA != unitB)
            return unitA < unitB;
    }
    return a.size() < b.size();
}

}  // namespace

bool EntryPrecedes(const ArchiveEntry& a, const ArchiveEntry& b)
{
    if (a.isFolder != b.isFolder)
        return a.isFolder;
    return PathPrecedes(a.path, b.path);
}

void SortForDisplay(EntryList& entries)
{
    std::sort(entries.begin(), entries.end(),
              [](const std::unique_ptr<ArchiveEntry>& a, const std::unique_ptr<ArchiveEntry>& b) {
                  return EntryPrecedes(*a, *b);
              });
}
