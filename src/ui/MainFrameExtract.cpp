// The frame's extraction commands: Unpack, opening an entry, dragging entries out.
#include "ui/MainFrame.h"

#include "extract/DragOut.h"
#include "extract/OpenEntry.h"
#include "extract/UnpackCommand.h"

void CMainFrame::UnpackCommand()
{
    RunUnpackCommand(handle, listView, catalogue);
}

void CMainFrame::OpenEntry(const ArchiveEntry& entry)
{
    OpenEntryWithProgram(handle, listView, catalogue, entry);
}

void CMainFrame::BeginDrag()
{
    DragEntriesOut(handle, listView, catalogue);
}
