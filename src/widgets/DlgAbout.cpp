#include "widgets/DlgAbout.h"

#include "framework/AppModule.h"
#include "framework/Dpi.h"
#include "res/resource.h"
#include "widgets/CenterOnOwner.h"
#include "widgets/ShellOpen.h"
#include "widgets/VersionInfo.h"

namespace {

// At 96 DPI, scaled by the dialog's.
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
    case WM_DPICHANGED:
        // The dialog manager scales the rest of the dialog.
        ShowIcon(LOWORD(wParam));
        return false;
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

    ShowIcon(WindowDpi(handle));

    CenterOnOwner(handle, GetOwner());
    result = TRUE;
    return true;
}

// The big icon at the dialog's scale; the static control takes its size.
void CDlgAbout::ShowIcon(UINT dpi)
{
    UniqueIcon loaded(
        static_cast<HICON>(::LoadImageW(Module().GetInstance(), MAKEINTRESOURCEW(IDI_APPLICATION_ICON), IMAGE_ICON,
                                        ScaleToDpi(kIconWidth, dpi), ScaleToDpi(kIconHeight, dpi), LR_DEFAULTCOLOR)));
    if (!loaded)
        return;
    ::SendMessageW(GetDlgItem(IDC_ABOUT_ICON), STM_SETICON, reinterpret_cast<WPARAM>(loaded.get()), 0);
    // The control has let go of the previous one.
    icon = std::move(loaded);
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
    // A click, or Enter on the focused link: the control's mouse and keyboard ways.
    if (header.code == static_cast<UINT>(NM_CLICK) || header.code == static_cast<UINT>(NM_RETURN))
        ShellExecuteSeam(handle, L"open", kMakerAddress, nullptr, nullptr, SW_SHOW);
    result = 0;
    return true;
}
