#include "catalogue/RarLibrary.h"

#include <cstring>

namespace {

constexpr unsigned kHostWindows = 2;  // HostOS as the library reports it
constexpr unsigned kHostUnix = 3;
constexpr unsigned kUnixTypeMask = 0xF000;  // the file type bits of a Unix mode
constexpr unsigned kUnixSymlink = 0xA000;   // S_IFLNK
constexpr unsigned kRedirectFileCopy = 5;   // RedirType of a copy of an earlier file's data

}  // namespace

bool IsLinkHeader(const RARHeaderDataEx& header)
{
    if (header.RedirType != 0)
        return true;
    if (header.HostOS == kHostUnix)
        return (header.FileAttr & kUnixTypeMask) == kUnixSymlink;
    if (header.HostOS == kHostWindows)
        return (header.FileAttr & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return false;
}

bool MakesLink(const RARHeaderDataEx& header)
{
    return IsLinkHeader(header) && header.RedirType != kRedirectFileCopy;
}

RarArchive& RarArchive::operator=(RarArchive&& other) noexcept
{
    if (this != &other) {
        Close();
        handle = other.handle;
        archiveFlags = other.archiveFlags;
        commentUnreadable = other.commentUnreadable;
        other.handle = nullptr;
    }
    return *this;
}

int RarArchive::Open(const wchar_t* path, RarOpenMode mode, UNRARCALLBACK callback, LPARAM userData)
{
    Close();
    RAROpenArchiveDataEx request;
    std::memset(&request, 0, sizeof(request));
    request.ArcNameW = const_cast<wchar_t*>(path);
    request.OpenMode = static_cast<unsigned>(mode);
    request.Callback = callback;
    request.UserData = userData;
    // The comment is not shown, but whether it can be read tells what a broken
    // header at the end of the walk means. One unit of room is enough: a longer
    // comment reads as ERAR_SMALL_BUF.
    wchar_t commentProbe[1] = {};
    request.CmtBufW = commentProbe;
    request.CmtBufSize = 1;
    HANDLE opened = RAROpenArchiveEx(&request);
    const int result = static_cast<int>(request.OpenResult);
    if (result != ERAR_SUCCESS) {
        if (opened)
            RARCloseArchive(opened);
        return result;
    }
    // A success without a handle is left to the first read, which then fails:
    // the caller tells the user that the archive could not be read.
    handle = opened;
    archiveFlags = request.Flags;
    commentUnreadable = (request.Flags & ROADF_COMMENT) != 0 && request.CmtState != 1 &&
                        request.CmtState != static_cast<unsigned>(ERAR_SMALL_BUF);
    return ERAR_SUCCESS;
}

int RarArchive::ReadHeader(RARHeaderDataEx& header)
{
    if (!handle)
        return ERAR_UNKNOWN;
    header.CmtBuf = nullptr;
    header.CmtBufSize = 0;
    const int result = RARReadHeaderEx(handle, &header);
    if (result != ERAR_BAD_DATA)
        return result;
    return commentUnreadable ? COMMENT_BROKEN : HEADER_BROKEN;
}

int RarArchive::Skip()
{
    if (!handle)
        return ERAR_UNKNOWN;
    char noPath[1] = "";
    char noName[1] = "";
    return RARProcessFile(handle, RAR_SKIP, noPath, noName);
}

int RarArchive::SkipWide()
{
    if (!handle)
        return ERAR_UNKNOWN;
    wchar_t noPath[1] = L"";
    wchar_t noName[1] = L"";
    return RARProcessFileW(handle, RAR_SKIP, noPath, noName);
}

int RarArchive::ExtractTo(const wchar_t* destination)
{
    if (!handle)
        return ERAR_UNKNOWN;
    return RARProcessFileW(handle, RAR_EXTRACT, const_cast<wchar_t*>(destination), nullptr);
}

void RarArchive::Close() noexcept
{
    if (handle) {
        RARCloseArchive(handle);
        handle = nullptr;
    }
    archiveFlags = 0;
    commentUnreadable = false;
}
