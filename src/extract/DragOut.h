#pragma once

// Dragging entries out of the list: the selected entries are extracted into the
// archive's temporary folder, then offered to drop targets as files.

#include <windows.h>
#include <ole2.h>

class ArchiveCatalogue;

enum class DragOutOutcome {
    NothingSelected,  // no selected row with an entry (the ".." row has none)
    Refused,          // a name or link that could lead elsewhere: the error box was shown
    NotExtracted,     // the job reported an error or was cancelled
    NotWritten,       // the job ended without any of the entries being there
    Dragged,          // the drag ran, whatever became of it
};

// Extracts the entries of the list's selected rows into TemporaryFolderFor(archivePath)
// with a modal progress dialog owned by `mainWindow`, skipping what is there
// already, then drags the extracted files and folders with the copy effect.
DragOutOutcome DragEntriesOut(HWND mainWindow, HWND listView, const ArchiveCatalogue& catalogue);

// Every drag of the program starts here, so that tests can look at what would be
// dropped without a drop target.
using DragStarter = HRESULT (*)(IDataObject* data, IDropSource* source, DWORD allowedEffects, DWORD* effect);

// Calls the current starter: DoDragDrop unless a test replaced it.
HRESULT StartDragSeam(IDataObject* data, IDropSource* source, DWORD allowedEffects, DWORD* effect);

// Installs `starter` (null restores DoDragDrop) and returns the one it replaces.
// User-interface thread only.
DragStarter SetDragStarter(DragStarter starter) noexcept;
