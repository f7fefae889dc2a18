#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct RARHeaderDataEx;

// One header of the archive as the catalogue keeps it.
struct ArchiveEntry {
    std::wstring path;  // full path inside the archive, "\" between components
    bool isFolder = false;
    bool isLink = false;  // a symbolic link, junction or other redirection, not data of its own
    std::uint64_t unpackedSize = 0;
    std::uint64_t packedSize = 0;
    std::uint32_t fileTime = 0;                           // MS-DOS date (high word) and time (low word)
    std::vector<std::unique_ptr<ArchiveEntry>> children;  // a folder's contents, display order

    ArchiveEntry() = default;
    // Frees the subtree without recursion (a hostile archive may nest thousands
    // deep) and without allocating.
    ~ArchiveEntry();
    ArchiveEntry(const ArchiveEntry&) = delete;
    ArchiveEntry& operator=(const ArchiveEntry&) = delete;

private:
    // The way back up while the destructor frees a subtree; unused otherwise.
    ArchiveEntry* destroyingParent = nullptr;
};

using EntryList = std::vector<std::unique_ptr<ArchiveEntry>>;

// A new entry from a header the library has just filled.
std::unique_ptr<ArchiveEntry> MakeEntry(const RARHeaderDataEx& header);

// A file's unpacked size; a folder's is the sum over its contents (its own size
// field does not count).
std::uint64_t EntrySize(const ArchiveEntry& entry);
