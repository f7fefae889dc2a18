#include "extract/EntryFailures.h"

#include "catalogue/ArchiveErrors.h"
#include "catalogue/CellText.h"
#include "catalogue/RarLibrary.h"
#include "catalogue/ResourceString.h"
#include "res/resource.h"

#include <algorithm>
#include <climits>

namespace {

// A longer name keeps its end, where the file's own name is.
constexpr size_t kShownNameLength = 100;

int AsCount(size_t count)
{
    return static_cast<int>(std::min<size_t>(count, INT_MAX));
}

}  // namespace

bool EndsOnlyTheEntry(int code, bool solidArchive) noexcept
{
    switch (code) {
    case ERAR_BAD_DATA:    // the data failed its check, read to its end
    case ERAR_ECREATE:     // the file could not be made; its data was passed over
    case ERAR_EREFERENCE:  // a copy of an entry that is not there
        return true;
    case ERAR_UNKNOWN_FORMAT:
        return !solidArchive;
    default:
        return false;
    }
}

std::wstring ShownEntryName(const std::wstring& name)
{
    std::wstring shown = ShownName(name);
    if (shown.size() > kShownNameLength) {
        size_t from = shown.size() - (kShownNameLength - 3);
        if (shown[from] >= 0xDC00 && shown[from] <= 0xDFFF)
            ++from;  // not the second half of a surrogate pair
        shown = L"..." + shown.substr(from);
    }
    // A line break in a name must not pass for a line of the box.
    for (wchar_t& c : shown) {
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
            c = L'?';
    }
    return shown;
}

void EntryFailures::Add(const std::wstring& name, int code)
{
    if (named.size() < kNamed)
        named.push_back({name, code});
    ++count;
}

bool EntryFailures::NeedsSummary(int endingCode) const
{
    return count > 1 || (count == 1 && ArchiveErrorStringId(endingCode) != 0);
}

std::wstring EntryFailures::SummaryText(int endingCode) const
{
    std::wstring text = count == 1 ? LoadResourceString(IDS_ERROR_ONE_ENTRY_FAILED)
                                   : FormatResourceCount(IDS_ERROR_ENTRIES_FAILED, AsCount(count));
    for (const Failure& failure : named)
        text += L"\n" + ShownEntryName(failure.name) + L": " + LoadResourceString(ArchiveErrorStringId(failure.code));
    if (count > named.size())
        text += L"\n" + FormatResourceCount(IDS_ERROR_MORE_ENTRIES_FAILED, AsCount(count - named.size()));
    const UINT ending = ArchiveErrorStringId(endingCode);
    if (ending != 0) {
        std::wstring stopped = LoadResourceString(IDS_ERROR_EXTRACTION_STOPPED);
        const size_t slot = stopped.find(L"%s");
        if (slot != std::wstring::npos)
            stopped.replace(slot, 2, LoadResourceString(ending));
        text += L"\n\n" + stopped;
    }
    return text;
}
