#pragma once

// Waiting for an archive's listing without freezing the window.

#include "catalogue/ArchiveListing.h"

#include <windows.h>

#include <string>

// How long an open runs before its progress window shows: opens that end sooner
// show none, so everyday archives open as they always did.
constexpr DWORD kOpeningProgressDelayMs = 500;

struct WaitedListing {
    bool cancelled = false;  // the user cancelled (or the program is ending): nothing to present
    Listing listing;
};

// Lists `path` on a worker thread while this thread answers its messages in a
// loop of its own, with `owner` disabled so that nothing re-enters it. The
// library's password request is put to the user here, with the usual prompt owned
// by `owner`. An open still going after kOpeningProgressDelayMs shows "Opening
// archive" with Cancel; Cancel ends the wait at once, and the worker, told to
// stop, finishes and frees what it made on its own. A worker that cannot start
// gives a listing refused for want of memory.
WaitedListing ListWithoutFreezing(HWND owner, const std::wstring& path);
