#pragma once

// The program's one door to the RAR library: every call goes through RarArchive.

#include <windows.h>

// Debian's patch marks the library's declarations with a GCC visibility attribute,
// which means nothing to a caller and which MSVC cannot read.
#if defined(_MSC_VER) && !defined(__clang__) && !defined(__attribute__)
#define __attribute__(x)
#include "dll.hpp"
#undef __attribute__
#else
#include "dll.hpp"
#endif

#include <cstdint>

// A header read that the library answers with ERAR_BAD_DATA means a broken header,
// not a CRC error in file data; callers see this code instead.
constexpr int HEADER_BROKEN = 254;

// The same answer from an archive whose comment the library could not read at the
// open. The library marks a header whose checksum fails, reads on past it, and
// tells of the mark only where the walk ends, with ERAR_BAD_DATA in place of the
// normal end. A damaged comment leaves the mark, and such an end says nothing of
// the file headers.
constexpr int COMMENT_BROKEN = 253;

// Listing reads headers only: skipping never unpacks (in a solid archive a skip
// in extract mode decompresses everything up to the next header) and never needs
// the data's password. The split pieces are handed out too, so that a set opened
// from a later volume still lists the entry it starts inside. Jobs extract.
enum class RarOpenMode : unsigned {
    List = RAR_OM_LIST_INCSPLIT,
    Extract = RAR_OM_EXTRACT,
};

// The header's own directory flag; FileAttr holds a Unix mode for archives made on
// Unix-like systems and extra attribute bits for read-only or archived folders.
inline bool IsFolderHeader(const RARHeaderDataEx& header)
{
    return (header.Flags & RHDF_DIRECTORY) != 0;
}

// A later piece of an entry that an earlier volume began.
inline bool IsContinuedPiece(const RARHeaderDataEx& header)
{
    return (header.Flags & RHDF_SPLITBEFORE) != 0;
}

// A symbolic link, junction or other redirection, not data of its own. RedirType
// is the library's own verdict; the attributes catch what it leaves unmarked (a
// reparse point stored without its redirection record).
bool IsLinkHeader(const RARHeaderDataEx& header);

// A link that the library would make on disk (a symbolic link, a junction, a
// hard link), or one stored without its redirection record. A file copy, the one
// redirection that is data, is not.
bool MakesLink(const RARHeaderDataEx& header);

inline std::uint64_t UnpackedSizeOf(const RARHeaderDataEx& header)
{
    return (static_cast<std::uint64_t>(header.UnpSizeHigh) << 32) | header.UnpSize;
}

inline std::uint64_t PackedSizeOf(const RARHeaderDataEx& header)
{
    return (static_cast<std::uint64_t>(header.PackSizeHigh) << 32) | header.PackSize;
}

// An open archive handle of the library. Move-only; closes itself.
class RarArchive {
public:
    RarArchive() noexcept = default;
    ~RarArchive() { Close(); }
    RarArchive(const RarArchive&) = delete;
    RarArchive& operator=(const RarArchive&) = delete;
    RarArchive(RarArchive&& other) noexcept
        : handle(other.handle), archiveFlags(other.archiveFlags), commentUnreadable(other.commentUnreadable)
    {
        other.handle = nullptr;
    }
    RarArchive& operator=(RarArchive&& other) noexcept;

    // Opens `path` for a walk over its headers. Returns the library's OpenResult:
    // 0 when open, else a result code; on failure nothing stays open. Should the
    // library report success without a handle, the walk's first read fails.
    int Open(const wchar_t* path, RarOpenMode mode, UNRARCALLBACK callback, LPARAM userData);

    // 0 when `header` is filled, ERAR_END_ARCHIVE at the normal end, else a result
    // code, with ERAR_BAD_DATA already turned into HEADER_BROKEN, or COMMENT_BROKEN
    // when the open found the comment unreadable. `header` must come zero-filled
    // from the caller once (its reserved fields are read).
    int ReadHeader(RARHeaderDataEx& header);

    // Moves past the data of the entry just read (the listing's call; in list mode
    // a seek).
    int Skip();
    // The same through the wide call (extraction's).
    int SkipWide();
    // Writes the entry just read below `destination` under its full archive path.
    int ExtractTo(const wchar_t* destination);

    void Close() noexcept;
    bool IsOpen() const noexcept { return handle != nullptr; }
    HANDLE Get() const noexcept { return handle; }

    // What the open found: the archive is solid (its entries unpack as one stream).
    bool IsSolid() const noexcept { return (archiveFlags & ROADF_SOLID) != 0; }

private:
    HANDLE handle = nullptr;
    unsigned archiveFlags = 0;
    bool commentUnreadable = false;  // the archive has a comment the open could not read
};
