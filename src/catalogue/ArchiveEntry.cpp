#include "catalogue/ArchiveEntry.h"

#include "catalogue/RarLibrary.h"

#include <cwchar>

namespace {

constexpr unsigned kHostWindows = 2;  // HostOS as the library reports it
constexpr unsigned kHostUnix = 3;
constexpr unsigned kUnixTypeMask = 0xF000;  // the file type bits of a Unix mode
constexpr unsigned kUnixSymlink = 0xA000;   // S_IFLNK

// RedirType is the library's own verdict; the attributes catch what it leaves
// unmarked (a reparse point stored without its redirection record).
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

}  // namespace

ArchiveEntry::~ArchiveEntry()
{
    // Down the last children to a leaf, noting the way back in each entry passed,
    // then free that leaf and go back up: no recursion and no allocation, however
    // deep the tree, so that nothing can fail here.
    ArchiveEntry* entry = this;
    for (;;) {
        if (!entry->children.empty()) {
            ArchiveEntry* child = entry->children.back().get();
            child->destroyingParent = entry;
            entry = child;
            continue;
        }
        if (entry == this)
            return;
        ArchiveEntry* parent = entry->destroyingParent;
        parent->children.pop_back();  // frees `entry`, which holds nothing any more
        entry = parent;
    }
}

std::unique_ptr<ArchiveEntry> MakeEntry(const RARHeaderDataEx& header)
{
    auto entry = std::make_unique<ArchiveEntry>();
    // The library copies names with wcsncpy: a name that fills the field has no terminator.
    const size_t nameCapacity = sizeof(header.FileNameW) / sizeof(header.FileNameW[0]);
    entry->path.assign(header.FileNameW, wcsnlen(header.FileNameW, nameCapacity));
    entry->isFolder = IsFolderHeader(header);
    entry->isLink = IsLinkHeader(header);
    entry->unpackedSize = UnpackedSizeOf(header);
    entry->packedSize = PackedSizeOf(header);
    entry->fileTime = header.FileTime;
    return entry;
}

std::uint64_t EntrySize(const ArchiveEntry& entry)
{
    if (!entry.isFolder)
        return entry.unpackedSize;
    std::uint64_t total = 0;
    std::vector<const ArchiveEntry*> pending{&entry};
    while (!pending.empty()) {
        const ArchiveEntry* folder = pending.back();
        pending.pop_back();
        for (const auto& child : folder->children) {
            if (child->isFolder)
                pending.push_back(child.get());
            else
                total += child->unpackedSize;
        }
    }
    return total;
}
