#include "extract/DlgUnpack.h"

#include "catalogue/ArchiveCatalogue.h"
#include "extract/DlgProgress.h"
#include "extract/EntryFilter.h"
#include "res/resource.h"
#include "framework/Handles.h"
#include "widgets/CenterOnOwner.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

namespace {

using UniqueItemList = UniqueCoTaskMem<PIDLIST_ABSOLUTE>;
using UniqueCoTaskString = UniqueCoTaskMem<PWSTR>;

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data)
{
    // Opens at the folder the field names; a text that names none selects nothing.
    if (message == BFFM_INITIALIZED)
        ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

}  // namespace

std::wstring ProposedDestination(const std::wstring& archivePath)
{
    // PathFindExtensionW's rule: the last dot of the last component, unless a
    // blank follows it.
    size_t dot = std::wstring::npos;
    for (size_t i = 0; i < archivePath.size(); ++i) {
        const wchar_t c = archivePath[i];
        if (c == L'\\' || c == L'/' || c == L' ')
            dot = std::wstring::npos;
        else if (c == L'.')
            dot = i;
    }
    return dot == std::wstring::npos ? archivePath : archivePath.substr(0, dot);
}

CDlgUnpack::CDlgUnpack(const std::wstring& path, const ArchiveEntry* folder, HWND listView,
                       const ArchiveCatalogue& archiveCatalogue, std::uint64_t total)
    : CDialogImpl(IDD_UNPACK), archivePath(path), currentFolder(folder), list(listView), catalogue(archiveCatalogue),
      archiveTotal(total)
{
}

bool CDlgUnpack::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(result);
    case WM_COMMAND:
        return OnCommand(wParam, result);
    default:
        return false;
    }
}

bool CDlgUnpack::OnInitDialog(LRESULT& result)
{
    CenterOnOwner(handle, GetOwner());
    destinationField = GetDlgItem(IDC_DESTINATION);
    extractAllButton = GetDlgItem(IDC_EXTRACT_ALL);
    extractCurrentFolderButton = GetDlgItem(IDC_EXTRACT_CURRENT_FOLDER);
    extractSelectedButton = GetDlgItem(IDC_EXTRACT_SELECTED);
    updateReplaceButton = GetDlgItem(IDC_UPDATE_REPLACE);
    updateSkipButton = GetDlgItem(IDC_UPDATE_SKIP);

    ::CheckRadioButton(handle, IDC_EXTRACT_ALL, IDC_EXTRACT_SELECTED, IDC_EXTRACT_ALL);
    ::CheckRadioButton(handle, IDC_UPDATE_REPLACE, IDC_UPDATE_SKIP, IDC_UPDATE_REPLACE);
    if (!currentFolder)
        ::EnableWindow(extractCurrentFolderButton, FALSE);
    // A selected ".." row counts here too.
    if (!list || ::SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) == 0)
        ::EnableWindow(extractSelectedButton, FALSE);
    ::SetWindowTextW(destinationField, ProposedDestination(archivePath).c_str());
    result = TRUE;
    return true;
}

bool CDlgUnpack::OnCommand(WPARAM wParam, LRESULT& result)
{
    result = 0;
    switch (LOWORD(wParam)) {
    case IDOK: {
        // The dialog stays for another job, whatever this one's result.
        CDlgProgress progress(JobFromChoices());
        progress.DoModal(handle);
        return true;
    }
    case IDCANCEL:
        EndDialog(IDCANCEL);
        return true;
    case IDC_BROWSE:
        OnBrowse();
        return true;
    default:
        return false;
    }
}

ExtractionJob CDlgUnpack::JobFromChoices() const
{
    ExtractionJob job;
    job.archivePath = archivePath;
    job.destination = GetDlgItemTextW(IDC_DESTINATION);
    job.currentFolder = currentFolder;
    job.list = list;
    job.catalogue = &catalogue;
    if (IsDlgButtonChecked(IDC_EXTRACT_CURRENT_FOLDER) && currentFolder) {
        job.extractMode = ExtractCurrentFolder;
        job.totalBytes = EntrySize(*currentFolder);
    } else if (IsDlgButtonChecked(IDC_EXTRACT_SELECTED)) {
        job.extractMode = ExtractSelected;
        // A selected folder counts with everything it holds, as the job takes it.
        for (const ArchiveEntry* entry : SelectedEntries(list, catalogue))
            job.totalBytes += EntrySize(*entry);
    } else {
        job.extractMode = ExtractAll;
        job.totalBytes = archiveTotal;
    }
    job.updateMode = IsDlgButtonChecked(IDC_UPDATE_SKIP) ? UpdateSkip : UpdateReplace;
    return job;
}

void CDlgUnpack::OnBrowse()
{
    const std::wstring current = GetDlgItemTextW(IDC_DESTINATION);
    // The browser writes the chosen item's display name here, not a path.
    wchar_t displayName[MAX_PATH] = L"";
    BROWSEINFOW request = {};
    request.hwndOwner = handle;
    request.pszDisplayName = displayName;
    request.ulFlags = BIF_RETURNONLYFSDIRS;
    request.lpfn = &BrowseCallback;
    request.lParam = reinterpret_cast<LPARAM>(current.c_str());
    UniqueItemList chosen(::SHBrowseForFolderW(&request));
    if (!chosen)
        return;
    // No MAX_PATH limit, unlike SHGetPathFromIDListW.
    UniqueCoTaskString path;
    if (FAILED(::SHGetNameFromIDList(chosen.get(), SIGDN_FILESYSPATH, path.put())) || !path)
        return;
    ::SetWindowTextW(destinationField, path.get());
}
