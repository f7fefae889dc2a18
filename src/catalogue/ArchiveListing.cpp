#include "catalogue/ArchiveListing.h"

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
        for (;;) {
            int code = archive.ReadHeader(*header);
            if (code == ERAR_SUCCESS) {
                entries.push_back(MakeEntry(*header));
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
