#pragma once

// Rewrites file headers of a RAR5 archive that `rar` made, for cases rar cannot be
// asked for: odd attributes, sizes, names, damaged headers. Each edited header is
// encoded again with its size and CRC32 recomputed; data areas stay as they were,
// so the archive must have no quick-open record (make it with -qo-) and no
// encrypted headers.

#include <cstdint>
#include <string>
#include <vector>

namespace rar5 {

enum FileFlag : std::uint64_t {
    kFileDirectory = 0x01,
    kFileTimePresent = 0x02,
    kFileCrcPresent = 0x04,
    kFileSizeUnknown = 0x08,
};

enum HostOs : std::uint64_t { kHostWindows = 0, kHostUnix = 1 };

// Reads the variable-length integer at `pos` (7 bits a byte, low first), never
// past `limit`; moves `pos` past it. False when it runs out or overflows.
bool ReadVint(const std::vector<std::uint8_t>& bytes, size_t& pos, size_t limit, std::uint64_t& value);

// How to spoil a header on purpose.
enum class Damage {
    None,
    BadCrc,    // wrong CRC32: the library reports the header but reads on
    ZeroSize,  // header size 0: the library stops with a broken header
};

struct FileHeader {
    std::uint64_t headerFlags = 0;
    std::uint64_t extraSize = 0;
    std::uint64_t dataSize = 0;
    std::uint64_t fileFlags = 0;
    std::uint64_t unpackedSize = 0;
    std::uint64_t attributes = 0;
    std::uint32_t mtime = 0;
    std::uint32_t dataCrc = 0;
    std::uint64_t compression = 0;
    std::uint64_t hostOs = 0;
    std::string name;                   // UTF-8, "/" between components
    std::vector<std::uint8_t> between;  // bytes between the name and the extra area (normally none)
    std::vector<std::uint8_t> extra;    // the extra area, kept as it is
    Damage damage = Damage::None;

    bool IsDirectory() const { return (fileFlags & kFileDirectory) != 0; }
    void SetDirectory(bool directory)
    {
        fileFlags = directory ? (fileFlags | kFileDirectory) : (fileFlags & ~std::uint64_t(kFileDirectory));
    }
};

class Archive {
public:
    // Reads and parses; false (with Error()) for anything but a plain RAR5 archive.
    bool Load(const std::wstring& path);
    bool Save(const std::wstring& path) const;

    std::vector<FileHeader>& Files() { return files; }
    const std::vector<FileHeader>& Files() const { return files; }
    // The file header with this stored name, or null.
    FileHeader* Find(const std::string& name);
    // Drops a file header with its data (rar itself deletes an archive left empty).
    void RemoveFile(size_t index);
    // Puts an NTFS stream record (a stored service record "STM" that holds the
    // stream's name, ":name" as Windows writes it) right after the data of file
    // `index`, where rar puts the streams of a file.
    void AddStream(size_t index, const std::string& streamName, const std::string& contents);

    // The archive with every file header encoded from its fields.
    std::vector<std::uint8_t> Bytes() const;
    const std::string& Error() const { return error; }

private:
    // The archive is raw pieces with a file header before each piece but the first.
    std::vector<std::vector<std::uint8_t>> pieces;
    std::vector<FileHeader> files;
    std::string error;
};

std::uint32_t Crc32(const std::uint8_t* data, size_t size);
// A file header; with `service`, a service record of the same layout.
std::vector<std::uint8_t> EncodeHeader(const FileHeader& header, bool service = false);

// Loads `path`, lets `edit` change the file headers, and writes the result back.
template <typename Edit> bool EditArchive(const std::wstring& path, Edit edit, std::string* error = nullptr)
{
    Archive archive;
    bool ok = archive.Load(path);
    if (ok) {
        edit(archive);
        ok = archive.Save(path);
    }
    if (!ok && error)
        *error = archive.Error();
    return ok;
}

}  // namespace rar5
