#include "extract/DragOut.h"

#include "catalogue/ArchiveCatalogue.h"
#include "extract/DragOutData.h"
#include "extract/EntryFilter.h"
#include "extract/ExtractionPaths.h"
#include "extract/OpenEntry.h"
#include "extract/OpenEntryPaths.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

// OLE, which DoDragDrop needs rather than COM alone, is started by the program's entry.
HRESULT DragWithOle(IDataObject* data, IDropSource* source, DWORD allowedEffects, DWORD* effect)
{
    return ::DoDragDrop(data, source, allowedEffects, effect);
}

DragStarter currentStarter = &DragWithOle;

// The primary button, whichever physical one the user has made it.
bool PrimaryButtonDown()
{
    const int button = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return (::GetAsyncKeyState(button) & 0x8000) != 0;
}

DragButtonProbe currentButtonProbe = &PrimaryButtonDown;

// Removes the drag's folder on every way out until the drop takes it over.
class DragFolderGuard {
public:
    explicit DragFolderGuard(DragFolder made) : folder(std::move(made)) {}
    ~DragFolderGuard() { folder.Remove(); }
    DragFolderGuard(const DragFolderGuard&) = delete;
    DragFolderGuard& operator=(const DragFolderGuard&) = delete;

    const std::wstring& Path() const noexcept { return folder.Path(); }
    DragFolder Release() noexcept { return std::move(folder); }

private:
    DragFolder folder;
};

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

DragButtonProbe SetDragButtonProbe(DragButtonProbe probe) noexcept
{
    DragButtonProbe previous = currentButtonProbe;
    currentButtonProbe = probe ? probe : &PrimaryButtonDown;
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
    // A folder of this drag's own: the shared one may hold another archive's
    // files of the same names, or an edited copy.
    DragFolderGuard folder(DragFolder::Create(catalogue.archivePath));
    if (folder.Path().empty())
        return DragOutOutcome::NotWritten;
    std::vector<std::wstring> targets;
    std::uint64_t totalBytes = 0;
    for (const ArchiveEntry* entry : entries) {
        targets.push_back(ConfinedTarget(folder.Path(), entry->path));
        if (targets.back().empty()) {
            ShowUnsafeEntryError(mainWindow);
            return DragOutOutcome::Refused;
        }
        totalBytes += EntrySize(*entry);
    }

    if (!ExtractSelectionInto(folder.Path(), mainWindow, listView, catalogue, totalBytes, UpdateReplace))
        return DragOutOutcome::NotExtracted;
    // Released during the job: a drag now would drop at once, wherever the pointer is.
    if (!currentButtonProbe())
        return DragOutOutcome::ButtonReleased;

    std::vector<std::wstring> written;
    for (size_t i = 0; i < entries.size(); ++i) {
        const WrittenKind kind = entries[i]->isFolder ? WrittenKind::Folder : WrittenKind::File;
        if (IsWrittenInside(folder.Path(), targets[i], kind))
            written.push_back(targets[i]);
    }
    if (written.empty())
        return DragOutOutcome::NotWritten;

    const ComRef<IDropSource> source = CreateLeftButtonDropSource();
    if (!source)
        return DragOutOutcome::NotWritten;
    // The data object decides when the folder goes from here on.
    const ComRef<IDataObject> data = CreateFileDropData(std::move(written), folder.Release());
    if (!data)
        return DragOutOutcome::NotWritten;
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT result = StartDragSeam(data.get(), source.get(), DROPEFFECT_COPY, &effect);
    FinishFileDrop(data.get(), result == DRAGDROP_S_DROP);
    return DragOutOutcome::Dragged;
}
