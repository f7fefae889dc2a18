// The frame's extraction commands: Unpack, opening an entry, dragging entries out.
#include "ui/MainFrame.h"

#include "catalogue/ResourceString.h"
#include "res/resource.h"

void CMainFrame::UnpackCommand()
{
    if (catalogue.archivePath.empty()) {
        MessageBoxW(m_hWnd, LoadResourceString(IDS_FILE_NOT_OPENED).c_str(),
                    LoadResourceString(IDS_ERROR_CAPTION).c_str(), MB_ICONERROR | MB_OK);
        return;
    }
}

void CMainFrame::OpenEntry(const ArchiveEntry&)
{
}

void CMainFrame::BeginDrag()
{
}
