#include "extract/DlgProgress.h"

#include "catalogue/ArchiveErrors.h"
#include "catalogue/CellText.h"
#include "catalogue/ResourceString.h"
#include "extract/DlgPassword.h"
#include "extract/EntryFilter.h"
#include "extract/ProgressText.h"
#include "extract/UnpackEvent.h"
#include "res/resource.h"
#include "widgets/CenterOnOwner.h"

#include <commctrl.h>
#include <process.h>

#include <new>

CDlgProgress::CDlgProgress(const ExtractionJob& extractionJob) : CDialogImpl(IDD_PROGRESS), job(extractionJob) {}

CDlgProgress::CDlgProgress(const std::wstring& archivePath, const std::wstring& destination, ExtractMode extractMode,
                           UpdateMode updateMode, const ArchiveEntry* currentFolder, HWND list,
                           const ArchiveCatalogue& catalogue, std::uint64_t totalBytes)
    : CDlgProgress(
          ExtractionJob{archivePath, destination, extractMode, updateMode, currentFolder, list, &catalogue, totalBytes})
{
}

CDlgProgress::~CDlgProgress()
{
    if (thread) {
        channel.Abandon();
        ::WaitForSingleObject(thread.get(), INFINITE);
    }
}

UniqueKernelHandle CDlgProgress::CreateJobEvent()
{
    return UniqueKernelHandle(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
}

UniqueKernelHandle CDlgProgress::StartWorker(ExtractionWorker& jobWorker)
{
    return UniqueKernelHandle(
        reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &ExtractionWorker::ThreadMain, &jobWorker, 0, nullptr)));
}

bool CDlgProgress::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(result);
    case WM_COMMAND:
        return OnCommand(wParam, result);
    case WM_UNPACK_EVENT:
        OnUnpackEvent(wParam, lParam);
        result = 0;
        return true;
    case WM_QUERYENDSESSION:
        // The session may end: the job stops as Cancel stops it, and never holds it up.
        channel.Cancel();
        result = TRUE;
        return true;
    default:
        return false;
    }
}

bool CDlgProgress::OnInitDialog(LRESULT& result)
{
    CenterOnOwner(handle, GetOwner());
    progressTemplate = GetDlgItemTextW(IDC_TOTAL_PROGRESS);
    SetDlgItemTextW(IDC_ENTRY_NAME, L"");
    SetDlgItemTextW(IDC_TOTAL_PROGRESS, L"");
    SetDlgItemTextW(IDC_ACTION, L"");
    progressBar = GetDlgItem(IDC_PROGRESS_BAR);
    ::SendMessageW(progressBar, PBM_SETRANGE32, 0, kProgressRange);

    try {
        // Without its event a worker would wait forever for a password or an
        // acknowledgement: none starts.
        if (channel.Open(CreateJobEvent())) {
            // The selection is read here, on the list's own thread, once.
            worker =
                std::make_unique<ExtractionWorker>(job, EntryFilter::ForJob(job), channel, handle, displayIntervalMs);
            thread = StartWorker(*worker);
        }
    } catch (const std::bad_alloc&) {
        thread.reset();
    }
    if (!thread) {
        // Nothing would ever end the dialog otherwise.
        ShowArchiveError(ERAR_NO_MEMORY, handle);
        EndDialog(IDCANCEL);
    }
    result = TRUE;
    return true;
}

bool CDlgProgress::OnCommand(WPARAM wParam, LRESULT& result)
{
    result = 0;
    switch (LOWORD(wParam)) {
    case IDOK:
        // Enter must not end a running job.
        return true;
    case IDCANCEL:
        // The worker stops at its next library callback or header, and ends the dialog.
        channel.Cancel();
        return true;
    default:
        return false;
    }
}

void CDlgProgress::OnUnpackEvent(WPARAM tag, LPARAM value)
{
    // The dialog manager shows the dialog once its queue first runs empty, which a
    // quick worker can beat: a prompt or a message box must not come up without
    // this dialog on screen to centre on.
    if (tag == UNPACK_NEED_PASSWORD || tag == UNPACK_ERROR || tag == UNPACK_DESTINATION_FAILED ||
        tag == UNPACK_UNSAFE_NAMES || tag == UNPACK_LINKS_LEFT_OUT || tag == UNPACK_FAILED_ENTRIES) {
        if (!IsWindowVisible())
            ShowWindow(SW_SHOW);
    }
    switch (tag) {
    case UNPACK_CREATING_FOLDER:
        ShowAction(IDS_CREATING_FOLDER);
        break;
    case UNPACK_EXTRACTING:
        ShowEntry(IDS_EXTRACTING_FILE, value);
        break;
    case UNPACK_SKIPPING:
        ShowEntry(IDS_SKIPPING_FILE, value);
        break;
    case UNPACK_PROGRESS:
        ShowProgress(static_cast<std::uint32_t>(value));
        break;
    case UNPACK_NEED_PASSWORD:
        AskPassword();
        break;
    case UNPACK_ERROR:
        ShowArchiveError(static_cast<int>(value), handle);
        channel.Acknowledge();
        break;
    case UNPACK_DESTINATION_FAILED:
        ShowErrorText(LoadResourceString(IDS_ERROR_CREATE_DESTINATION));
        channel.Acknowledge();
        break;
    case UNPACK_UNSAFE_NAMES:
        ShowCount(IDS_ERROR_UNSAFE_NAMES, value);
        channel.Acknowledge();
        break;
    case UNPACK_LINKS_LEFT_OUT:
        ShowCount(IDS_ERROR_LINKS_LEFT_OUT, value);
        channel.Acknowledge();
        break;
    case UNPACK_FAILED_ENTRIES: {
        // Ours from here: freed however this ends.
        UniqueLocal text(reinterpret_cast<HLOCAL>(value));
        ShowErrorText(text ? static_cast<const wchar_t*>(text.get()) : L"");
        channel.Acknowledge();
        break;
    }
    case UNPACK_DONE:
        EndDialog(value ? IDCANCEL : IDOK);
        break;
    default:
        break;
    }
}

void CDlgProgress::ShowAction(UINT stringId)
{
    SetDlgItemTextW(IDC_ACTION, LoadResourceString(stringId).c_str());
}

void CDlgProgress::ShowEntry(UINT actionId, LPARAM nameCopy)
{
    // Ours from here: freed however this ends.
    UniqueLocal name(reinterpret_cast<HLOCAL>(nameCopy));
    ShowAction(actionId);
    SetDlgItemTextW(IDC_ENTRY_NAME, name ? ShownName(static_cast<const wchar_t*>(name.get())).c_str() : L"");
}

void CDlgProgress::ShowProgress(std::uint32_t position)
{
    ::SendMessageW(progressBar, PBM_SETPOS, position, 0);
    SetDlgItemTextW(IDC_TOTAL_PROGRESS, TotalProgressText(progressTemplate, position).c_str());
}

void CDlgProgress::AskPassword()
{
    CDlgPassword prompt;
    const bool typed = prompt.DoModal(handle) == IDOK;
    channel.Answer(!typed, prompt.Password());
}

void CDlgProgress::ShowErrorText(const std::wstring& text)
{
    const std::wstring caption = LoadResourceString(IDS_ERROR_CAPTION);
    ::MessageBoxW(handle, text.c_str(), caption.c_str(), MB_ICONERROR);
}

void CDlgProgress::ShowCount(UINT formatId, LPARAM count)
{
    ShowErrorText(FormatResourceCount(formatId, static_cast<int>(count)));
}

INT_PTR RunExtractionJob(const ExtractionJob& job, HWND owner)
{
    CDlgProgress progress(job);
    return progress.DoModal(owner);
}
