#include "CatalogueTesting.h"

#include "extract/DlgPassword.h"

bool OpenCatalogue(ArchiveCatalogue& catalogue, const std::wstring& archivePath)
{
    // The prompt the main window shows, owned by nothing here.
    const PasswordRequest askPassword = [](std::wstring& password) {
        CDlgPassword prompt;
        if (prompt.DoModal(nullptr) != IDOK)
            return false;
        password = prompt.Password();
        return true;
    };
    return OpenIntoCatalogue(catalogue, archivePath, nullptr, askPassword).result == 1;
}
