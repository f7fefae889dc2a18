#include "catalogue/ArchiveErrors.h"

#include "catalogue/RarLibrary.h"
#include "catalogue/ResourceString.h"
#include "res/resource.h"

UINT ArchiveErrorStringId(int code) noexcept
{
    switch (code) {
    case ERAR_NO_MEMORY:
        return IDS_ERROR_NO_MEMORY;
    // Only from calls other than a header read, whose 12 arrives as HEADER_BROKEN.
    case ERAR_BAD_DATA:
        return IDS_ERROR_CRC;
    case ERAR_BAD_ARCHIVE:
        return IDS_ERROR_BAD_ARCHIVE;
    case ERAR_UNKNOWN_FORMAT:
        return IDS_ERROR_UNKNOWN_FORMAT;
    case ERAR_EOPEN:
        return IDS_ERROR_VOLUME_OPEN;
    case ERAR_ECREATE:
        return IDS_ERROR_CREATE;
    case ERAR_ECLOSE:
        return IDS_ERROR_CLOSE;
    case ERAR_EREAD:
        return IDS_ERROR_READ;
    case ERAR_EWRITE:
        return IDS_ERROR_WRITE;
    case ERAR_EREFERENCE:
        return IDS_ERROR_REFERENCE;
    case ERAR_BAD_PASSWORD:
        return IDS_ERROR_BAD_PASSWORD;
    case HEADER_BROKEN:
        return IDS_ERROR_HEADER_BROKEN;
    case COMMENT_BROKEN:
        return IDS_ERROR_COMMENT_BROKEN;
    default:
        return 0;
    }
}

void ShowArchiveError(int code, HWND owner)
{
    const UINT stringId = ArchiveErrorStringId(code);
    if (stringId == 0)
        return;
    const std::wstring text = LoadResourceString(stringId);
    const std::wstring caption = LoadResourceString(IDS_ERROR_CAPTION);
    ::MessageBoxW(owner, text.c_str(), caption.c_str(), MB_ICONERROR);
}
