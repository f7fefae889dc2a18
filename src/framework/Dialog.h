#pragma once

#include "framework/Window.h"

// A modal dialog from a template in the program's resources. `this` is bound
// to the dialog window from WM_INITDIALOG to WM_NCDESTROY; messages outside
// that span get the dialog manager's default handling.
class CDialogImpl : public CWindow, public CMessageMap {
public:
    explicit CDialogImpl(UINT resourceId) noexcept : templateId(resourceId) {}
    // A modeless dialog still up here is destroyed without reaching the derived
    // class, whose part of the object is already gone.
    ~CDialogImpl() override;
    CDialogImpl(const CDialogImpl&) = delete;
    CDialogImpl& operator=(const CDialogImpl&) = delete;

    // The value given to EndDialog (IDOK, IDCANCEL...), or -1 when the dialog
    // cannot be created (no such template, or this object already shows one).
    INT_PTR DoModal(HWND owner);
    bool EndDialog(int result) const;

    // The same template as a modeless dialog owned by `owner`, shown when the
    // template says WS_VISIBLE: the window, or null when it cannot be created (or
    // this object already shows one). The caller's loop hands it its messages
    // (IsDialogMessage), and DestroyWindow ends it.
    HWND Create(HWND owner);

    UINT TemplateId() const noexcept { return templateId; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    UINT templateId;
};
