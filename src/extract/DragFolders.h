#pragma once

// The folders that drags out of the list extract into, and how long they live.
// Each has a marker file beside it ("...-quillet-drag-1F2E3D4C.lock") that names it
// as a drag folder of Quillet's and that the Quillet which made it holds open for
// as long as it runs. A drop target may read the files long after the drop (a
// browser's upload, a copy Windows goes on with in the background), so a folder
// goes only once an asynchronous copy has reported its end, or when no target got
// it at all; every other one is left to a later start, which removes the folders
// whose markers nobody holds any more. A folder without its marker is not ours and
// is never touched.

#include "framework/Handles.h"

#include <string>

class DragFolder {
public:
    DragFolder() = default;
    // A fresh folder beside TemporaryFolderFor(archivePath), with its marker made
    // and held; empty when either cannot be made.
    static DragFolder Create(const std::wstring& archivePath);

    DragFolder(DragFolder&&) noexcept = default;
    DragFolder& operator=(DragFolder&&) noexcept;
    // Keeps the folder: its marker stays held until the process ends.
    ~DragFolder();

    bool Empty() const noexcept { return path.empty(); }
    const std::wstring& Path() const noexcept { return path; }

    // Removes the folder with everything in it, then its marker.
    void Remove();

private:
    void Keep() noexcept;

    std::wstring path;
    UniqueKernelHandle marker;
};

// The marker's path for a drag folder's path.
std::wstring DragFolderMarker(const std::wstring& folder);

// Removes the drag folders of earlier runs from the user's temporary folder: those
// whose marker is there, is Quillet's, and is held by no running Quillet.
void RemoveLeftoverDragFolders();
