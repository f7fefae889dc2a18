#include "extract/DlgPassword.h"

#include "res/resource.h"
#include "widgets/CenterOnOwner.h"

CDlgPassword::CDlgPassword() : CDialogImpl(IDD_PASSWORD) {}

bool CDlgPassword::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result)
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

bool CDlgPassword::OnInitDialog(LRESULT& result)
{
    CenterOnOwner(handle, GetOwner());
    // The user types the password at once: the focus goes into its field, and
    // FALSE keeps the dialog manager from moving it to the first tab stop (OK).
    ::SetFocus(GetDlgItem(IDC_PASSWORD));
    result = FALSE;
    return true;
}

bool CDlgPassword::OnCommand(WPARAM wParam, LRESULT& result)
{
    result = 0;
    switch (LOWORD(wParam)) {
    case IDOK:
        // The window lives on until the modal run returns, so the field can be read after.
        EndDialog(IDOK);
        password = GetDlgItemTextW(IDC_PASSWORD);
        return true;
    case IDCANCEL:
        password.clear();
        EndDialog(IDCANCEL);
        return true;
    default:
        return false;
    }
}
