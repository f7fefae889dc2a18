#pragma once

#include "framework/Dialog.h"
#include "framework/Handles.h"

// "About Quillet...": the icon, the product version from the program's own
// version resource, and a link to the maker's web address.
class CDlgAbout : public CDialogImpl {
public:
    static constexpr const wchar_t* kMakerAddress = L"https://quillet.example.org/";

    CDlgAbout();

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool OnInitDialog(LRESULT& result);
    bool OnCommand(WPARAM wParam, LRESULT& result);
    bool OnNotify(const NMHDR& header, LRESULT& result);
    void ShowIcon(UINT dpi);

    // The big icon given to the static control, which does not free it.
    UniqueIcon icon;
};
