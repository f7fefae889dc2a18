// The frame's extraction commands: Unpack, opening an entry, dragging entries out.
#include "ui/MainFrame.h"

#include "extract/UnpackCommand.h"

void CMainFrame::UnpackCommand()
{
    RunUnpackCommand(m_hWnd, listView, catalogue);
}

void CMainFrame::OpenEntry(const ArchiveEntry&)
{
}

void CMainFrame::BeginDrag()
{
}
