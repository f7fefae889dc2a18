#include "catalogue/ArchiveEntry.h"

#include "catalogue/RarLibrary.h"

#include <cwchar>

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
