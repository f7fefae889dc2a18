#include "extract/DragOut.h"

#include "catalogue/ArchiveCatalogue.h"
#include "extract/DragOutData.h"
#include "extract/EntryFilter.h"
#include "extract/ExtractionPaths.h"
#include "extract/OpenEntry.h"
#include "extract/OpenEntryPaths.h"
#include "framework/ModalWork.h"

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

// What a drag extracts, and where.
struct DragPlan {
    bool safe = true;                  // no name or link that could lead elsewhere
    DragFolder folder;                 // the drag's own, made for it; empty when none could be
    std::vector<std::wstring> targets;  // each selected entry's path in it
    std::uint64_t totalBytes = 0;
};

// Checks every name of the selected trees, then makes the drag's folder and
// places each entry in it.
DragPlan PlanDrag(const std::vector<const ArchiveEntry*>& entries, const std::wstring& archivePath)
{
    DragPlan plan;
    for (const ArchiveEntry* entry : entries) {
        if (!IsOpenableTree(*entry)) {
            plan.safe = false;
            return plan;
        }
    }
    // A folder of this drag's own: the shared one may hold another archive's
    // files of the same names, or an edited copy.
    plan.folder = DragFolder::Create(archivePath);
    if (plan.folder.Empty())
        return plan;
    for (const ArchiveEntry* entry : entries) {
        plan.targets.push_back(ConfinedTarget(plan.folder.Path(), entry->path));
        if (plan.targets.back().empty()) {
            plan.safe = false;
            return plan;
        }
        plan.totalBytes += EntrySize(*entry);
    }
    return plan;
}

// The targets the job wrote, each what its entry is and inside the folder.
std::vector<std::wstring> WrittenTargets(const std::vector<const ArchiveEntry*>& entries,
                                         const std::vector<std::wstring>& targets, const std::wstring& folder)
{
    std::vector<std::wstring> written;
    for (size_t i = 0; i < entries.size(); ++i) {
        const WrittenKind kind = entries[i]->isFolder ? WrittenKind::Folder : WrittenKind::File;
        if (IsWrittenInside(folder, targets[i], kind))
            written.push_back(targets[i]);
    }
    return written;
}

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
    // Every name below every selected folder is checked, and over a large
    // selection that takes a while: the window answers meanwhile.
    DragPlan plan;
    RunAside(mainWindow, [&] { plan = PlanDrag(entries, catalogue.archivePath); });
    DragFolderGuard folder(std::move(plan.folder));
    if (!plan.safe) {
        ShowUnsafeEntryError(mainWindow);
        return DragOutOutcome::Refused;
    }
    if (folder.Path().empty())
        return DragOutOutcome::NotWritten;

    if (!ExtractSelectionInto(folder.Path(), mainWindow, listView, catalogue, plan.totalBytes, UpdateReplace))
        return DragOutOutcome::NotExtracted;
    // Released during the job: a drag now would drop at once, wherever the pointer is.
    if (!currentButtonProbe())
        return DragOutOutcome::ButtonReleased;

    std::vector<std::wstring> written;
    RunAside(mainWindow, [&] { written = WrittenTargets(entries, plan.targets, folder.Path()); });
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
