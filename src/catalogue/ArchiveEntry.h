#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
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

// Visits every entry of `entries` and everything below them, without recursion (a
// hostile archive may nest thousands deep), in no particular order; stops at the
// first entry for which `visit` answers false, and answers false then.
template <typename Visit> bool VisitTree(std::vector<const ArchiveEntry*> pending, Visit visit)
{
    while (!pending.empty()) {
        const ArchiveEntry* entry = pending.back();
        pending.pop_back();
        if (!visit(*entry))
            return false;
        for (const auto& child : entry->children)
            pending.push_back(child.get());
    }
    return true;
}

template <typename Visit> bool VisitTree(const EntryList& entries, Visit visit)
{
    std::vector<const ArchiveEntry*> pending;
    pending.reserve(entries.size());
    for (const auto& entry : entries)
        pending.push_back(entry.get());
    return VisitTree(std::move(pending), visit);
}

// A file's unpacked size; a folder's is the sum over its contents (its own size
// field does not count).
std::uint64_t EntrySize(const ArchiveEntry& entry);
