#include "widgets/DlgSettings.h"

#include "res/resource.h"
#include "widgets/CenterOnOwner.h"

CDlgSettings::CDlgSettings(AppSettings& record) : CDialogImpl(IDD_SETTINGS), settings(record) {}

bool CDlgSettings::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(result);
    case WM_COMMAND:
        return OnCommand(wParam, result);
    default:
        return false;
    }
}

bool CDlgSettings::OnInitDialog(LRESULT& result)
{
    CenterOnOwner(handle, GetOwner());
    CheckDlgButton(IDC_OPEN_FILE, settings.OpenFile != 0);
    CheckDlgButton(IDC_DRAG_DROP, settings.DragDrop != 0);
    result = TRUE;
    return true;
}

bool CDlgSettings::OnCommand(WPARAM wParam, LRESULT& result)
{
    result = 0;
    switch (LOWORD(wParam)) {
    case IDOK:
        settings.OpenFile = IsDlgButtonChecked(IDC_OPEN_FILE) ? 1 : 0;
        settings.DragDrop = IsDlgButtonChecked(IDC_DRAG_DROP) ? 1 : 0;
        EndDialog(IDOK);
        return true;
    case IDCANCEL:
        EndDialog(IDCANCEL);
        return true;
    default:
        return false;
    }
}
