#pragma once

#include "framework/Dialog.h"

#include "TestDialogIds.h"

#include <functional>
#include <string>

constexpr UINT kAnswerMessage = WM_APP + 20;
constexpr LRESULT kAnswer = 1234;

// The test template's dialog: ends on OK and Cancel and keeps what the
// controls held when OK was pressed; the Nested button runs `onNested`.
class CProbeDialog : public CDialogImpl {
public:
    explicit CProbeDialog(UINT resourceId = IDD_TEST_PLAIN) : CDialogImpl(resourceId) {}

    std::function<void(CProbeDialog&)> onInit;
    std::function<void(CProbeDialog&)> onNested;
    HWND boundAtInit = nullptr;
    std::wstring editText;
    bool checkChecked = false;
    bool radioAChecked = false;
    bool radioBChecked = false;
    int clicks = 0;

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) override
    {
        if (msg == WM_INITDIALOG) {
            boundAtInit = handle == hwnd ? hwnd : nullptr;
            if (onInit)
                onInit(*this);
            result = TRUE;
            return true;
        }
        if (msg == WM_COMMAND && LOWORD(wParam) == IDOK) {
            editText = GetDlgItemTextW(IDC_TEST_EDIT);
            checkChecked = IsDlgButtonChecked(IDC_TEST_CHECK);
            radioAChecked = IsDlgButtonChecked(IDC_TEST_RADIO_A);
            radioBChecked = IsDlgButtonChecked(IDC_TEST_RADIO_B);
            EndDialog(IDOK);
            return true;
        }
        if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
            EndDialog(IDCANCEL);
            return true;
        }
        if (msg == WM_COMMAND && LOWORD(wParam) == IDC_TEST_NESTED) {
            if (onNested)
                onNested(*this);
            return true;
        }
        if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
            ++clicks;
            return true;
        }
        if (msg == kAnswerMessage) {
            result = kAnswer;
            return true;
        }
        return false;
    }
};
