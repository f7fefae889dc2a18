#include "extract/UnpackCommand.h"

#include "catalogue/ArchiveCatalogue.h"
#include "catalogue/ResourceString.h"
#include "extract/DlgUnpack.h"
#include "res/resource.h"

void RunUnpackCommand(HWND mainWindow, HWND listView, const ArchiveCatalogue& catalogue)
{
    if (catalogue.archivePath.empty()) {
        const std::wstring text = LoadResourceString(IDS_FILE_NOT_OPENED);
        const std::wstring caption = LoadResourceString(IDS_ERROR_CAPTION);
        ::MessageBoxW(mainWindow, text.c_str(), caption.c_str(), MB_ICONERROR);
        return;
    }
    CDlgUnpack unpack(catalogue.archivePath, catalogue.currentFolder, listView, catalogue, catalogue.totalSize);
    unpack.DoModal(mainWindow);
}
