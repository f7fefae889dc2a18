#include "widgets/DlgAbout.h"

#include "framework/AppModule.h"
#include "res/resource.h"
#include "widgets/CenterOnOwner.h"
#include "widgets/ShellOpen.h"
#include "widgets/VersionInfo.h"

namespace {

constexpr int kIconWidth = 126;
constexpr int kIconHeight = 128;

}  // namespace

CDlgAbout::CDlgAbout() : CDialogImpl(IDD_ABOUT) {}

bool CDlgAbout::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(result);
    case WM_COMMAND:
        return OnCommand(wParam, result);
    case WM_NOTIFY:
        return lParam && OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result);
    case WM_NCDESTROY:
        // The static control and its window are gone by now.
        icon.reset();
        return false;
    default:
        return false;
    }
}

bool CDlgAbout::OnInitDialog(LRESULT& result)
{
    HINSTANCE instance = Module().GetInstance();
    SetDlgItemTextW(IDC_VERSION, ProductVersionOf(instance).c_str());

    icon.reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_APPLICATION_ICON), IMAGE_ICON, kIconWidth,
                                               kIconHeight, LR_DEFAULTCOLOR)));
    if (icon)
        ::SendMessageW(GetDlgItem(IDC_ABOUT_ICON), STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);

    CenterOnOwner(handle, GetOwner());
    result = TRUE;
    return true;
}

bool CDlgAbout::OnCommand(WPARAM wParam, LRESULT& result)
{
    int id = LOWORD(wParam);
    if (id != IDOK && id != IDCANCEL)
        return false;
    EndDialog(id);
    result = 0;
    return true;
}

bool CDlgAbout::OnNotify(const NMHDR& header, LRESULT& result)
{
    if (header.idFrom != IDC_LINK)
        return false;
    // Only a click opens the page; the keyboard's NM_RETURN does nothing.
    if (header.code == static_cast<UINT>(NM_CLICK))
        ShellExecuteSeam(handle, L"open", kMakerAddress, nullptr, nullptr, SW_SHOW);
    result = 0;
    return true;
}
