// The frame's own commands: Open, Settings, About, selection and the drop switch.
#include "ui/MainFrame.h"

#include <commdlg.h>
#include <shellapi.h>

#include <vector>

#include "catalogue/ResourceString.h"
#include "res/resource.h"
#include "widgets/DlgAbout.h"
#include "widgets/DlgSettings.h"

namespace {

// Room for the longest path the platform can name, not just MAX_PATH.
constexpr size_t kPathRoom = 32768;

// The string table keeps the filter with "|" where the dialog wants nulls.
std::vector<wchar_t> OpenFilter()
{
    const std::wstring text = LoadResourceString(IDS_OPEN_FILTER);
    std::vector<wchar_t> filter(text.size() + 4, L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        filter[i] = text[i] == L'|' ? L'\0' : text[i];
    return filter;
}

// One call for every row: a folder of a million rows takes it as fast as one of
// ten. Some list views still repaint row by row on their way through; with
// redrawing off there is one repaint, at the end.
void SetEveryRowSelected(HWND list, bool selected)
{
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    ::UpdateWindow(list);
}

}  // namespace

void CMainFrame::OpenCommand()
{
    std::vector<wchar_t> filter = OpenFilter();
    std::vector<wchar_t> file(kPathRoom, L'\0');
    wchar_t title[256] = {};

    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = handle;
    dialog.lpstrFilter = filter.data();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrFileTitle = title;
    dialog.nMaxFileTitle = 256;
    // The current folder stays where it was: left in the archive's folder (often
    // Downloads), it would be searched for whatever is later started by name.
    dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
    if (GetOpenFileNameW(&dialog))
        OpenArchive(file.data());
}

void CMainFrame::SettingsCommand()
{
    CDlgSettings dialog(settings);
    if (dialog.DoModal(handle) == IDOK)
        ApplyDragDropSetting();
}

void CMainFrame::AboutCommand()
{
    CDlgAbout dialog;
    dialog.DoModal(handle);
}

void CMainFrame::SelectAll()
{
    if (listView != nullptr)
        SetEveryRowSelected(listView, true);
}

void CMainFrame::ClearSelection()
{
    if (listView != nullptr)
        SetEveryRowSelected(listView, false);
}

void CMainFrame::ApplyDragDropSetting()
{
    if (listView == nullptr)
        return;
    const LONG style = GetWindowLongW(listView, GWL_EXSTYLE);
    const LONG wanted = settings.DragDrop ? (style | WS_EX_ACCEPTFILES) : (style & ~WS_EX_ACCEPTFILES);
    if (wanted != style)
        SetWindowLongW(listView, GWL_EXSTYLE, wanted);
}
