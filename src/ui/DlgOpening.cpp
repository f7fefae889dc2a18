#include "ui/DlgOpening.h"

#include "catalogue/ResourceString.h"
#include "res/resource.h"
#include "widgets/CenterOnOwner.h"

#include <shlwapi.h>

#include <cwchar>

namespace {

constexpr UINT_PTR kCountTimer = 1;
// A few times a second: often enough to see the count move, seldom enough to
// cost the open nothing.
constexpr UINT kCountIntervalMs = 250;

}  // namespace

CDlgOpening::CDlgOpening(std::wstring path, std::function<size_t()> readSoFar)
    : CDialogImpl(IDD_OPENING), archivePath(std::move(path)), entriesRead(std::move(readSoFar))
{
}

bool CDlgOpening::Show(HWND owner)
{
    if (!Create(owner))
        return false;
    ShowWindow(SW_SHOW);
    return true;
}

bool CDlgOpening::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(result);
    case WM_COMMAND:
        return OnCommand(wParam, result);
    case WM_TIMER:
        if (wParam != kCountTimer)
            return false;
        ShowCount();
        result = 0;
        return true;
    default:
        return false;
    }
}

bool CDlgOpening::OnInitDialog(LRESULT& result)
{
    CenterOnOwner(handle, GetOwner());
    SetDlgItemTextW(IDC_OPENING_NAME, ::PathFindFileNameW(archivePath.c_str()));
    countFormat = LoadResourceString(IDS_OPENING_ENTRIES);
    ShowCount();
    ::SetTimer(handle, kCountTimer, kCountIntervalMs, nullptr);
    result = TRUE;
    return true;
}

bool CDlgOpening::OnCommand(WPARAM wParam, LRESULT& result)
{
    result = 0;
    switch (LOWORD(wParam)) {
    case IDOK:
        // Enter must not end the open.
        return true;
    case IDCANCEL:
        cancelPressed = true;
        return true;
    default:
        return false;
    }
}

void CDlgOpening::ShowCount()
{
    const size_t count = entriesRead ? entriesRead() : 0;
    if (count == shownCount)
        return;
    shownCount = count;
    std::wstring text(countFormat.size() + 24, L'\0');
    const int written = std::swprintf(&text[0], text.size(), countFormat.c_str(), static_cast<unsigned long>(count));
    text.resize(written > 0 ? static_cast<size_t>(written) : 0);
    SetDlgItemTextW(IDC_OPENING_COUNT, text.c_str());
}
