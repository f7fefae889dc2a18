#include "framework/Dialog.h"

#include "framework/AppModule.h"

namespace {

// Messages whose answer the dialog manager takes from the procedure's return
// value instead of DWLP_MSGRESULT.
bool AnswersDirectly(UINT msg)
{
    switch (msg) {
    case WM_INITDIALOG:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

}  // namespace

CDialogImpl::~CDialogImpl()
{
    if (handle && ::IsWindow(handle)) {
        HWND hwnd = handle;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        handle = nullptr;
        ::DestroyWindow(hwnd);
    }
}

INT_PTR CDialogImpl::DoModal(HWND owner)
{
    if (handle)
        return -1;
    return ::DialogBoxParamW(Module().GetInstance(), MAKEINTRESOURCEW(templateId), owner, &CDialogImpl::DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

HWND CDialogImpl::Create(HWND owner)
{
    if (handle)
        return nullptr;
    return ::CreateDialogParamW(Module().GetInstance(), MAKEINTRESOURCEW(templateId), owner, &CDialogImpl::DialogProc,
                                reinterpret_cast<LPARAM>(this));
}

bool CDialogImpl::EndDialog(int result) const
{
    return ::EndDialog(handle, result) != FALSE;
}

INT_PTR CALLBACK CDialogImpl::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CDialogImpl* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialogImpl*>(lParam);
        if (!self)
            return TRUE;
        self->handle = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    } else {
        self = reinterpret_cast<CDialogImpl*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    // Before WM_INITDIALOG (WM_SETFONT, WM_NCCREATE...) and after unbinding.
    if (!self)
        return FALSE;

    LRESULT result = 0;
    bool handled = DispatchWithoutThrowing(*self, hwnd, msg, wParam, lParam, result);

    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->handle = nullptr;
    }
    if (!handled) {
        // An unhandled WM_INITDIALOG still lets the dialog manager set the focus.
        return msg == WM_INITDIALOG ? TRUE : FALSE;
    }
    if (AnswersDirectly(msg))
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}
