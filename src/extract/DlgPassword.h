#pragma once

#include "framework/Dialog.h"

#include <string>

// "Enter password": asks for the password of an encrypted archive. One object per
// request; the password is empty unless the run ended with OK.
class CDlgPassword : public CDialogImpl {
public:
    CDlgPassword();

    const std::wstring& Password() const noexcept { return password; }

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool OnInitDialog(LRESULT& result);
    bool OnCommand(WPARAM wParam, LRESULT& result);

    std::wstring password;
};
