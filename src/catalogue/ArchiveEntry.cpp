#include "catalogue/ArchiveEntry.h"

#include "catalogue/RarLibrary.h"

#include <cwchar>
#include <iterator>

ArchiveEntry::~ArchiveEntry()
{
    // Children are moved onto one flat pile and freed from it, so each destructor
    // that runs here finds its own children already taken.
    EntryList pile = std::move(children);
    while (!pile.empty()) {
        std::unique_ptr<ArchiveEntry> last = std::move(pile.back());
        pile.pop_back();
        if (!last->children.empty()) {
            pile.insert(pile.end(), std::make_move_iterator(last->children.begin()),
                        std::make_move_iterator(last->children.end()));
            last->children.clear();
        }
    }
}

std::unique_ptr<ArchiveEntry> MakeEntry(const RARHeaderDataEx& header)
{
    auto entry = std::make_unique<ArchiveEntry>();
    // The library copies names with wcsncpy: a name that fills the field has no terminator.
    const size_t nameCapacity = sizeof(header.FileNameW) / sizeof(header.FileNameW[0]);
    entry->path.assign(header.FileNameW, wcsnlen(header.FileNameW, nameCapacity));
    entry->isFolder = IsFolderHeader(header);
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
