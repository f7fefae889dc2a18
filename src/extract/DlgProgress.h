#pragma once

// "Unpacking is in progress...": the modal dialog that owns one extraction job.
// It starts the job's worker when it is shown, displays what the worker posts,
// answers its password requests and error reports, and ends with IDOK when the
// job reported no error, IDCANCEL when it did (a cancel included).

#include "extract/ExtractionJob.h"
#include "extract/ExtractionWorker.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"

#include <cstdint>
#include <memory>
#include <string>

class CDlgProgress : public CDialogImpl {
public:
    explicit CDlgProgress(const ExtractionJob& job);
    CDlgProgress(const std::wstring& archivePath, const std::wstring& destination, ExtractMode extractMode,
                 UpdateMode updateMode, const ArchiveEntry* currentFolder, HWND list, const ArchiveCatalogue& catalogue,
                 std::uint64_t totalBytes);
    // Waits for a worker that is still running (it is told to stop first).
    ~CDlgProgress() override;

    // At most one new entry name and one progress step per `ms` (0: every one).
    void SetDisplayInterval(DWORD ms) noexcept { displayIntervalMs = ms; }

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    // The job's auto-reset event; an empty handle when none could be created.
    virtual UniqueKernelHandle CreateJobEvent();
    // Runs worker.Run() on a new thread; an empty handle when none could be started.
    virtual UniqueKernelHandle StartWorker(ExtractionWorker& worker);

private:
    bool OnInitDialog(LRESULT& result);
    bool OnCommand(WPARAM wParam, LRESULT& result);
    void OnUnpackEvent(WPARAM tag, LPARAM value);

    void ShowAction(UINT stringId);
    void ShowEntry(UINT actionId, LPARAM nameCopy);
    void ShowProgress(std::uint32_t position);
    void AskPassword();
    void ShowErrorText(const std::wstring& text);
    // An error box from a string with one "%d".
    void ShowCount(UINT formatId, LPARAM count);

    ExtractionJob job;
    JobChannel channel;
    std::unique_ptr<ExtractionWorker> worker;
    UniqueKernelHandle thread;
    std::wstring progressTemplate;
    HWND progressBar = nullptr;
    DWORD displayIntervalMs = kDefaultDisplayIntervalMs;
};

// Runs `job` in a modal progress dialog owned by `owner`: IDOK, IDCANCEL, or -1
// when the dialog cannot be created.
INT_PTR RunExtractionJob(const ExtractionJob& job, HWND owner);
