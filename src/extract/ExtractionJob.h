#pragma once

// What one extraction job is asked to do: the eight values the progress dialog
// is built from. Copyable; the strings are its own, the rest is borrowed from
// the main window, which outlives the modal progress dialog.

#include <windows.h>

#include <cstdint>
#include <string>

struct ArchiveEntry;
class ArchiveCatalogue;

enum ExtractMode : int {
    ExtractAll = 0,            // "All files"
    ExtractCurrentFolder = 1,  // "All files from current folder"
    ExtractSelected = 2,       // "Selected files only"
};

enum UpdateMode : int {
    UpdateReplace = 0,  // "Replace (overwrite) file if exists"
    UpdateSkip = 1,     // "Skip file if exists"
};

struct ExtractionJob {
    std::wstring archivePath;
    std::wstring destination;  // created with its missing parents
    ExtractMode extractMode = ExtractAll;
    UpdateMode updateMode = UpdateReplace;
    const ArchiveEntry* currentFolder = nullptr;  // none at the top level
    HWND list = nullptr;                          // read for the selection, on the UI thread only
    const ArchiveCatalogue* catalogue = nullptr;  // maps the list's rows to entries
    std::uint64_t totalBytes = 0;                 // denominator of the progress
};

// A job over the catalogue's archive as the list shows it (current folder and
// selection), into `destination`.
ExtractionJob JobOver(const ArchiveCatalogue& catalogue, HWND list, const std::wstring& destination,
                      ExtractMode extractMode, UpdateMode updateMode, std::uint64_t totalBytes);
