#pragma once

// Opening an entry with the program the shell associates with its type: the entry
// is extracted into the archive's temporary folder first, and only the very file
// written there is handed to the shell.

#include "extract/ExtractionJob.h"

#include <windows.h>

#include <cstdint>
#include <string>

struct ArchiveEntry;
class ArchiveCatalogue;

enum class OpenEntryOutcome {
    Opened,          // the shell was asked to open the file
    ChooserStarted,  // no program for its type: the shell's chooser was started
    Refused,         // a name or link that could lead elsewhere: the error box was shown
    NotExtracted,    // the job reported an error or was cancelled
    NotWritten,      // the job ended without the file being there
};

// Extracts the list's selected entries (normally only `entry`, a file of
// `catalogue`) into TemporaryFolderFor(archivePath) with a modal progress dialog
// owned by `mainWindow`, skipping what is there already, then opens the file.
OpenEntryOutcome OpenEntryWithProgram(HWND mainWindow, HWND listView, const ArchiveCatalogue& catalogue,
                                      const ArchiveEntry& entry);

// Runs a job over the list's selected entries into `folder` with a modal progress
// dialog owned by `mainWindow`, replacing or skipping what is there already; true
// when it ended neither with an error nor cancelled. `totalBytes` drives the bar.
bool ExtractSelectionInto(const std::wstring& folder, HWND mainWindow, HWND listView, const ArchiveCatalogue& catalogue,
                          std::uint64_t totalBytes, UpdateMode updateMode);

// "This entry cannot be opened because its name is unsafe." in an error box.
void ShowUnsafeEntryError(HWND owner);
