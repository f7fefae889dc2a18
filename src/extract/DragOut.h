#pragma once

// Dragging entries out of the list: the selected entries are extracted into a
// folder of the drag's own, then offered to drop targets as files; the folder goes
// once no target can read them any more (DragFolders.h).

#include <windows.h>
#include <ole2.h>

class ArchiveCatalogue;

enum class DragOutOutcome {
    NothingSelected,  // no selected row with an entry (the ".." row has none)
    Refused,          // a name or link that could lead elsewhere: the error box was shown
    NotExtracted,     // the job reported an error or was cancelled
    NotWritten,       // the job ended without any of the entries being there
    ButtonReleased,   // the button went up while the entries were extracted: no drag
    Dragged,          // the drag ran, whatever became of it
};

// Extracts the entries of the list's selected rows into a fresh folder beside
// TemporaryFolderFor(archivePath) with a modal progress dialog owned by
// `mainWindow`, then, if the mouse button is still down, drags the extracted files
// and folders with the copy effect. When the folder goes: FinishFileDrop.
DragOutOutcome DragEntriesOut(HWND mainWindow, HWND listView, const ArchiveCatalogue& catalogue);

// Every drag of the program starts here, so that tests can look at what would be
// dropped without a drop target.
using DragStarter = HRESULT (*)(IDataObject* data, IDropSource* source, DWORD allowedEffects, DWORD* effect);

// Calls the current starter: DoDragDrop unless a test replaced it.
HRESULT StartDragSeam(IDataObject* data, IDropSource* source, DWORD allowedEffects, DWORD* effect);

// Installs `starter` (null restores DoDragDrop) and returns the one it replaces.
// User-interface thread only.
DragStarter SetDragStarter(DragStarter starter) noexcept;

// Whether the button that started the drag is still down; tests replace it the
// same way (null restores the system's answer).
using DragButtonProbe = bool (*)();
DragButtonProbe SetDragButtonProbe(DragButtonProbe probe) noexcept;
