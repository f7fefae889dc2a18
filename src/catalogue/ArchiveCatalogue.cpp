#include "catalogue/ArchiveCatalogue.h"

#include "catalogue/DisplayOrder.h"
#include "framework/LetterCase.h"

#include <windows.h>

#include <string_view>
#include <unordered_map>

namespace {

// Folder entries by folded path, looked up by every backslash-ended prefix of an
// entry's path, longest first: the cost follows the path text, not entries x folders.
class FolderIndex {
public:
    explicit FolderIndex(const EntryList& entries)
    {
        size_t textLength = 0;
        size_t folderCount = 0;
        for (const auto& entry : entries) {
            if (entry->isFolder) {
                textLength += entry->path.size();
                ++folderCount;
            }
        }
        // One buffer for all keys, filled before any view into it is taken.
        foldedText.reserve(textLength);
        std::vector<std::pair<size_t, size_t>> spans;  // text offset, entry index
        spans.reserve(folderCount);
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i]->isFolder) {
                spans.emplace_back(foldedText.size(), i);
                foldedText += entries[i]->path;
            }
        }
        FoldCase(foldedText);
        folders.reserve(folderCount);
        for (const auto& [offset, index] : spans) {
            // Among folders of one path the first header receives the contents.
            folders.emplace(std::wstring_view(foldedText).substr(offset, entries[index]->path.size()), index);
        }
    }

    static constexpr size_t kNone = static_cast<size_t>(-1);

    // The index of the entry's containing folder among the entries, or kNone.
    size_t ContainingFolder(const std::wstring& path)
    {
        const size_t lastSeparator = path.rfind(L'\\');
        if (folders.empty() || lastSeparator == std::wstring::npos)
            return kNone;
        // Only the part before the last backslash is ever looked up.
        scratch.assign(path, 0, lastSeparator + 1);
        FoldCase(scratch);
        const std::wstring_view folded(scratch);
        for (size_t end = folded.rfind(L'\\'); end != std::wstring_view::npos;
             end = end == 0 ? std::wstring_view::npos : folded.rfind(L'\\', end - 1)) {
            const auto found = folders.find(folded.substr(0, end));
            if (found != folders.end())
                return found->second;
        }
        return kNone;
    }

private:
    std::wstring foldedText;
    std::unordered_map<std::wstring_view, size_t> folders;
    std::wstring scratch;
};

}  // namespace

void ArchiveCatalogue::ClearCatalogue()
{
    archivePath.clear();
    currentFolder = nullptr;
    folderStack.clear();
    rootEntries.clear();
    totalSize = 0;
    entryCount = 0;
}

void ArchiveCatalogue::BuildFolderTree(EntryList entries)
{
    ShowTopLevel();
    rootEntries.clear();
    totalSize = 0;
    entryCount = entries.size();

    std::vector<size_t> parents(entries.size(), FolderIndex::kNone);
    {
        FolderIndex index(entries);
        for (size_t i = 0; i < entries.size(); ++i)
            parents[i] = index.ContainingFolder(entries[i]->path);
    }
    // Sized up front: no regrowth, no slack in the arrays that live on.
    std::vector<size_t> childCounts(entries.size(), 0);
    size_t rootCount = 0;
    for (const size_t parent : parents) {
        if (parent == FolderIndex::kNone)
            ++rootCount;
        else
            ++childCounts[parent];
    }
    rootEntries.reserve(rootCount);
    // A folder's header may come before or after its contents: keep every address
    // before the owners move.
    std::vector<ArchiveEntry*> addresses(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        addresses[i] = entries[i].get();
        if (childCounts[i] != 0)
            entries[i]->children.reserve(childCounts[i]);
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (parents[i] == FolderIndex::kNone)
            rootEntries.push_back(std::move(entries[i]));
        else
            addresses[parents[i]]->children.push_back(std::move(entries[i]));
    }
    // Every folder is sorted once; folders are reached through the tree so that
    // none is missed and none sorted twice.
    SortForDisplay(rootEntries);
    std::vector<ArchiveEntry*> pending;
    for (const auto& entry : rootEntries) {
        if (entry->isFolder)
            pending.push_back(entry.get());
    }
    while (!pending.empty()) {
        ArchiveEntry* folder = pending.back();
        pending.pop_back();
        SortForDisplay(folder->children);
        for (const auto& child : folder->children) {
            if (child->isFolder)
                pending.push_back(child.get());
        }
    }
    for (const auto& entry : rootEntries)
        totalSize += EntrySize(*entry);
}

int ArchiveCatalogue::RowCount() const noexcept
{
    if (currentFolder)
        return static_cast<int>(currentFolder->children.size()) + 1;
    return static_cast<int>(rootEntries.size());
}

ArchiveEntry* ArchiveCatalogue::EntryAtRow(int row) const noexcept
{
    if (row < 0)
        return nullptr;
    const EntryList& view = currentFolder ? currentFolder->children : rootEntries;
    size_t index = static_cast<size_t>(row);
    if (currentFolder) {
        if (index == 0)
            return nullptr;
        --index;
    }
    return index < view.size() ? view[index].get() : nullptr;
}

RowActivation ArchiveCatalogue::ActivationOf(int row, ArchiveEntry*& entry) const noexcept
{
    entry = nullptr;
    if (IsParentRow(row))
        return RowActivation::LeaveFolder;
    entry = EntryAtRow(row);
    if (!entry)
        return RowActivation::None;
    return entry->isFolder ? RowActivation::EnterFolder : RowActivation::OpenFile;
}

void ArchiveCatalogue::EnterFolder(ArchiveEntry* folder)
{
    if (!folder)
        return;
    folderStack.push_back(currentFolder);
    currentFolder = folder;
}

bool ArchiveCatalogue::LeaveFolder() noexcept
{
    if (folderStack.empty())
        return false;
    currentFolder = folderStack.back();
    folderStack.pop_back();
    return true;
}

void ArchiveCatalogue::ShowTopLevel() noexcept
{
    currentFolder = nullptr;
    folderStack.clear();
}
