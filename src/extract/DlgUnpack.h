#pragma once

// "Unpack": the destination, the extract mode and the update mode. OK runs a job
// in the progress dialog and leaves this dialog open for another; Cancel closes it.

#include "extract/ExtractionJob.h"
#include "framework/Dialog.h"

#include <cstdint>
#include <string>

class CDlgUnpack : public CDialogImpl {
public:
    CDlgUnpack(const std::wstring& archivePath, const ArchiveEntry* currentFolder, HWND list,
               const ArchiveCatalogue& catalogue, std::uint64_t archiveTotal);

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // The job that OK would run with the dialog's current choices.
    ExtractionJob JobFromChoices() const;

private:
    bool OnInitDialog(LRESULT& result);
    bool OnCommand(WPARAM wParam, LRESULT& result);
    void OnBrowse();

    std::wstring archivePath;
    const ArchiveEntry* currentFolder;
    HWND list;
    const ArchiveCatalogue& catalogue;
    std::uint64_t archiveTotal;

    HWND destinationField = nullptr;
    HWND extractAllButton = nullptr;
    HWND extractCurrentFolderButton = nullptr;
    HWND extractSelectedButton = nullptr;
    HWND updateReplaceButton = nullptr;
    HWND updateSkipButton = nullptr;
};

// The archive path without its last extension, as the destination to propose:
// C:\dl\photos.rar -> C:\dl\photos, archive.part1.rar -> archive.part1; a name
// without an extension stays as it is.
std::wstring ProposedDestination(const std::wstring& archivePath);
