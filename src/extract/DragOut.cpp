#include "extract/DragOut.h"

#include "catalogue/ArchiveCatalogue.h"
#include "extract/DragOutData.h"
#include "extract/EntryFilter.h"
#include "extract/OpenEntry.h"
#include "extract/OpenEntryPaths.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

// OLE, which DoDragDrop needs rather than COM alone, is started by the program's entry.
HRESULT DragWithOle(IDataObject* data, IDropSource* source, DWORD allowedEffects, DWORD* effect)
{
    return ::DoDragDrop(data, source, allowedEffects, effect);
}

DragStarter currentStarter = &DragWithOle;

}  // namespace

HRESULT StartDragSeam(IDataObject* data, IDropSource* source, DWORD allowedEffects, DWORD* effect)
{
    return currentStarter(data, source, allowedEffects, effect);
}

DragStarter SetDragStarter(DragStarter starter) noexcept
{
    DragStarter previous = currentStarter;
    currentStarter = starter ? starter : &DragWithOle;
    return previous;
}

DragOutOutcome DragEntriesOut(HWND mainWindow, HWND listView, const ArchiveCatalogue& catalogue)
{
    const std::vector<const ArchiveEntry*> entries = SelectedEntries(listView, catalogue);
    if (entries.empty())
        return DragOutOutcome::NothingSelected;
    for (const ArchiveEntry* entry : entries) {
        if (!IsOpenableTree(*entry)) {
            ShowUnsafeEntryError(mainWindow);
            return DragOutOutcome::Refused;
        }
    }
    const std::wstring folder = TemporaryFolderFor(catalogue.archivePath);
    if (folder.empty())
        return DragOutOutcome::NotWritten;
    std::vector<std::wstring> targets;
    std::uint64_t totalBytes = 0;
    for (const ArchiveEntry* entry : entries) {
        targets.push_back(ConfinedTarget(folder, entry->path));
        if (targets.back().empty()) {
            ShowUnsafeEntryError(mainWindow);
            return DragOutOutcome::Refused;
        }
        totalBytes += EntrySize(*entry);
    }

    if (!ExtractSelectionInto(folder, mainWindow, listView, catalogue, totalBytes))
        return DragOutOutcome::NotExtracted;

    std::vector<std::wstring> written;
    for (size_t i = 0; i < entries.size(); ++i) {
        const WrittenKind kind = entries[i]->isFolder ? WrittenKind::Folder : WrittenKind::File;
        if (IsWrittenInside(folder, targets[i], kind))
            written.push_back(targets[i]);
    }
    if (written.empty())
        return DragOutOutcome::NotWritten;

    const ComRef<IDataObject> data = CreateFileDropData(std::move(written));
    const ComRef<IDropSource> source = CreateLeftButtonDropSource();
    if (!data || !source)
        return DragOutOutcome::NotWritten;
    DWORD effect = DROPEFFECT_NONE;
    StartDragSeam(data.Get(), source.Get(), DROPEFFECT_COPY, &effect);
    return DragOutOutcome::Dragged;
}
