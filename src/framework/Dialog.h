#pragma once

#include "framework/Window.h"

// A modal dialog from a template in the program's resources. `this` is bound
// to the dialog window from WM_INITDIALOG to WM_NCDESTROY; messages outside
// that span get the dialog manager's default handling.
class CDialogImpl : public CWindow, public CMessageMap {
public:
    explicit CDialogImpl(UINT resourceId) noexcept : templateId(resourceId) {}
    ~CDialogImpl() override = default;
    CDialogImpl(const CDialogImpl&) = delete;
    CDialogImpl& operator=(const CDialogImpl&) = delete;

    // The value given to EndDialog (IDOK, IDCANCEL...), or -1 when the dialog
    // cannot be created (no such template, or this object already shows one).
    INT_PTR DoModal(HWND owner);
    bool EndDialog(int result) const;

    UINT TemplateId() const noexcept { return templateId; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    UINT templateId;
};
