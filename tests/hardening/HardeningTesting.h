#pragma once

#include "DialogDriver.h"
#include "DiskFiles.h"
#include "MainFrameTesting.h"

// Shared by the hardening tests: what the user must read for each library code,
// an answerer that records every box the program shows, a bare walk through the
// library that says which codes the program must report, a shown main window,
// and trees read back from disk.

#include "catalogue/RarLibrary.h"
#include "extract/ExtractionJob.h"
#include "ui/MainFrame.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

// The message a library result code must show, or "" for a code that shows none;
// written out here as users read them, apart from the program's table.
std::wstring ExpectedErrorText(int code);

// The box at the end of a job that skipped entries with unsafe names.
std::wstring UnsafeNamesText(unsigned count);
// The box at the end of a job that left links out.
std::wstring LinksLeftOutText(unsigned count);

// An entry that failed on its own in a job that went on past it.
struct FailedEntry {
    std::wstring name;
    int code = 0;
};

// The box at the end of a job that went on past failed entries; `stoppedBy` is
// the message of what then ended it early ("" when it ran to its end).
std::wstring FailedEntriesText(const std::vector<FailedEntry>& failures, const std::wstring& stoppedBy);

struct ShownBox {
    std::wstring caption;
    std::wstring text;  // a message box's text; "" for other dialogs

    bool operator==(const ShownBox& other) const { return caption == other.caption && text == other.text; }
};
using ShownBoxes = std::vector<ShownBox>;
std::string Describe(const ShownBoxes& boxes);

// Answers every dialog and message box of the thread as it comes, without a
// script, and records each: "Error" boxes get OK, "Enter password" gets the
// password (or Cancel when there is none), the progress dialog is left alone,
// anything else is cancelled and recorded as unexpected.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::wstring password = std::wstring());
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    void SetPassword(const std::wstring& value) { password = value; }
    const ShownBoxes& Boxes() const { return boxes; }
    // The boxes but for the password prompts, and how many prompts there were.
    ShownBoxes Messages() const;
    size_t PasswordPrompts() const;
    void Clear() { boxes.clear(); }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Poll();

    std::wstring password;
    ShownBoxes boxes;
    std::set<HWND> answered;
    UINT_PTR timer = 0;
    BoxAnswerer* previous = nullptr;
};

// What the library itself reports for an archive, walked the way the program
// walks it (open for listing or extraction, one header after the other), with the same
// answers to its callbacks: the password given or a refusal, and a refusal of a
// volume that is not there.
struct LibraryWalk {
    int openResult = 0;
    int stopCode = 0;    // as the program must report it: 12 from a read made 254 (253 with an unreadable comment)
    size_t entries = 0;  // headers read, the later pieces of a split entry not counted
    size_t passwordRequests = 0;
    bool passwordRefused = false;  // the last request was refused
    unsigned unsafeNames = 0;      // extraction only
    std::vector<FailedEntry> failures;  // extraction only: the entries the walk went on past
    unsigned linksLeftOut = 0;     // extraction only
};

// Lists as OpenArchive does.
LibraryWalk WalkForListing(const std::wstring& archive, const std::wstring& password);
// Extracts everything below `destination` as a job in ExtractAll mode does,
// skipping the names and the links the job refuses.
LibraryWalk WalkForExtraction(const std::wstring& archive, const std::wstring& password,
                              const std::wstring& destination);

// The boxes a listing must show for what the library reported.
ShownBoxes ExpectedListingBoxes(const LibraryWalk& walk);
// The boxes an extraction job must show, and its modal result.
ShownBoxes ExpectedJobBoxes(const LibraryWalk& walk);
INT_PTR ExpectedJobResult(const LibraryWalk& walk);
// The code whose message a job shows first (0 for none).
int FirstJobCode(const LibraryWalk& walk);

// What the catalogue holds, enough to tell whether it changed.
struct CatalogueState {
    std::wstring archivePath;
    std::vector<std::wstring> paths;  // every entry, depth first in display order
    const ArchiveEntry* currentFolder = nullptr;
    size_t stackDepth = 0;
    std::uint64_t totalSize = 0;

    bool operator==(const CatalogueState& other) const;
};
CatalogueState StateOf(const ArchiveCatalogue& catalogue);

bool SameSettings(const AppSettings& a, const AppSettings& b);

// The registry values below the program's settings key, as text.
std::wstring SettingsRegistryDump();
bool WriteTextFile(const std::wstring& path, const std::string& contents);

std::string Utf8(const std::wstring& text);
std::wstring Wide(const std::string& text);
