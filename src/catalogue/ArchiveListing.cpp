#include "catalogue/ArchiveListing.h"

#include "catalogue/ArchiveErrors.h"
#include "extract/DlgPassword.h"

#include <shlwapi.h>

#include <new>

ListResult ListArchive(const std::wstring& path, HWND owner, RarArchive& archive,
                       EntryList& entries)
{
    ListResult result;
    result.openResult = archive.Open(path.c_str(), &ListingCallback, reinterpret_cast<LPARAM>(owner));
    if (result.openResult != ERAR_SUCCESS)
        return result;

    try {
        // About 10 KB: too big for a UI thread's stack frame to carry comfortably.
        auto header = std::make_unique<RARHeaderDataEx>();
        const ArchiveEntry* last = nullptr;
        for (;;) {
            int code = archive.ReadHeader(*header);
            if (code == ERAR_SUCCESS) {
                auto entry = MakeEntry(*header);
                // Skipping an entry split across volumes stops at its next piece, whose
                // header the library hands out again: one entry per file, not per piece.
                if (!(last && IsContinuedPiece(*header) && entry->path == last->path)) {
                    last = entry.get();
                    entries.push_back(std::move(entry));
                }
                code = archive.Skip();
            }
            if (code != ERAR_SUCCESS) {
                result.stopCode = code;
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        result.stopCode = ERAR_NO_MEMORY;
    }
    return result;
}

int CALLBACK ListingCallback(UINT message, LPARAM userData, LPARAM p1, LPARAM p2)
{
    switch (message) {
    case UCM_NEEDPASSWORDW: {
        CDlgPassword prompt;
        if (prompt.DoModal(reinterpret_cast<HWND>(userData)) != IDOK)
            return -1;
        auto* buffer = reinterpret_cast<wchar_t*>(p1);
        if (buffer && p2 > 0)
            StrCpyNW(buffer, prompt.Password().c_str(), static_cast<int>(p2));
        return 1;
    }
    case UCM_CHANGEVOLUME:
    case UCM_CHANGEVOLUMEW:
        return p2 == RAR_VOL_ASK ? -1 : 0;
    default:
        return 0;
    }
}

OpenOutcome OpenIntoCatalogue(ArchiveCatalogue& catalogue, const std::wstring& path, HWND owner,
                              RarArchive& archive)
{
    OpenOutcome outcome;
    EntryList entries;
    outcome.codes = ListArchive(path, owner, archive, entries);
    if (outcome.codes.openResult != 0) {
        ShowArchiveError(outcome.codes.openResult, owner);
        outcome.result = -1;
        return outcome;
    }
    catalogue.ClearCatalogue();
    // Entries read before a failure are still shown, after the message.
    ShowArchiveError(outcome.codes.stopCode, owner);
    catalogue.BuildFolderTree(std::move(entries));
    archive.Close();
    catalogue.archivePath = path;
    outcome.result = 1;
    return outcome;
}
