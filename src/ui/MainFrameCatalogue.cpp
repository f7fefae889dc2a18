// The catalogue's window side: opening an archive into the list, navigation and
// the selection count.
#include "ui/MainFrame.h"

#include <shellapi.h>

#include <vector>

#include "catalogue/ArchiveListing.h"
#include "catalogue/FreeAside.h"
#include "catalogue/ResourceString.h"
#include "catalogue/SelectionText.h"
#include "framework/PathText.h"
#include "res/resource.h"
#include "ui/ListingWait.h"

namespace {

std::wstring TitleFor(const std::wstring& path)
{
    return LoadResourceString(IDS_PRODUCT_NAME) + L" - [" + path + L"]";
}

}  // namespace

int CMainFrame::OpenArchive(const std::wstring& givenPath)
{
    // Named as the user meant it now: a relative path would name another file, or
    // none, once the current folder changes (the open-file dialog changes it), and
    // extraction refuses a relative destination.
    const std::wstring path = FullPathName(givenPath);
    ClearSelection();
    SetListItemCount(0);
    SetWindowTextW(LoadResourceString(IDS_PRODUCT_NAME).c_str());

    WaitedListing waited = ListWithoutFreezing(handle, path);
    // Cancelled: over as a refused open is, with nothing to tell.
    if (waited.cancelled)
        return -1;
    const OpenOutcome outcome = PresentListing(catalogue, path, handle, waited.listing);
    // The catalogue shown before, if any, is freed where no one waits for it.
    FreeAside(waited.listing.catalogue);
    if (outcome.result != 1)
        return -1;  // the earlier catalogue stays: Unpack still works on it

    if (listView != nullptr)
        LockWindowUpdate(listView);
    ClearSelection();
    SetListItemCount(catalogue.RowCount());
    LockWindowUpdate(nullptr);

    SetWindowTextW(TitleFor(path).c_str());
    UpdateSelectionText();
    return 1;
}

void CMainFrame::SetListItemCount(int count)
{
    if (listView != nullptr)
        ::SendMessageW(listView, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0);
}

void CMainFrame::ActivateRow(int row)
{
    ArchiveEntry* entry = nullptr;
    switch (catalogue.ActivationOf(row, entry)) {
    case RowActivation::LeaveFolder:
        LeaveFolder();
        break;
    case RowActivation::EnterFolder:
        EnterFolder(entry);
        break;
    case RowActivation::OpenFile:
        if (settings.OpenFile)
            OpenEntry(*entry);
        break;
    case RowActivation::None:
        break;
    }
}

void CMainFrame::EnterFolder(ArchiveEntry* folder)
{
    if (listView != nullptr)
        LockWindowUpdate(listView);
    catalogue.EnterFolder(folder);
    ClearSelection();
    ShowCurrentFolder();
}

void CMainFrame::LeaveFolder()
{
    if (listView != nullptr)
        LockWindowUpdate(listView);
    catalogue.LeaveFolder();
    ClearSelection();
    ShowCurrentFolder();
}

void CMainFrame::ShowCurrentFolder()
{
    SetListItemCount(catalogue.RowCount());
    LockWindowUpdate(nullptr);
    if (listView != nullptr) {
        InvalidateRect(listView, nullptr, TRUE);
        ::UpdateWindow(listView);
    }
}

void CMainFrame::UpdateSelectionText()
{
    if (listView == nullptr || statusBar == nullptr)
        return;
    const int selected = static_cast<int>(::SendMessageW(listView, LVM_GETSELECTEDCOUNT, 0, 0));
    const bool parentSelected =
        catalogue.IsParentRow(0) && (::SendMessageW(listView, LVM_GETITEMSTATE, 0, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    const std::wstring text = SelectionText(catalogue, selected, parentSelected);
    ::SendMessageW(statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void CMainFrame::OpenDroppedFile(HDROP drop)
{
    // The first dropped file, at whatever length the shell gives it.
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path;
    if (length > 0) {
        std::vector<wchar_t> buffer(length + 1, L'\0');
        DragQueryFileW(drop, 0, buffer.data(), length + 1);
        path.assign(buffer.data());
    }
    DragFinish(drop);
    if (!path.empty())
        OpenArchive(path);
}
