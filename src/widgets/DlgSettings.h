#pragma once

#include "app/AppSettings.h"
#include "framework/Dialog.h"

// "Settings": the two behaviour switches of the settings record, written back
// only when the dialog ends with OK.
class CDlgSettings : public CDialogImpl {
public:
    explicit CDlgSettings(AppSettings& record);

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool OnInitDialog(LRESULT& result);
    bool OnCommand(WPARAM wParam, LRESULT& result);

    AppSettings& settings;
};
