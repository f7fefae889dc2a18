#pragma once

// Reading an archive's headers into entries: the library half of OpenArchive.

#include "catalogue/ArchiveCatalogue.h"
#include "catalogue/ArchiveEntry.h"
#include "catalogue/RarLibrary.h"

#include <string>

struct ListResult {
    int openResult = 0;  // the library's OpenResult; non-zero = not opened
    int stopCode = 0;    // what ended the header walk (ERAR_END_ARCHIVE when all went well)
};

// Opens `path` into `archive` with ListingCallback (the prompt owned by `owner`),
// then appends one entry per header to `entries` in header order until a read or
// skip call fails; the later pieces of an entry split across volumes add nothing. On an open failure nothing is open and `entries` is untouched;
// otherwise `archive` stays open: the caller closes it once the tree is shown.
ListResult ListArchive(const std::wstring& path, HWND owner, RarArchive& archive,
                       EntryList& entries);

// The library's callback while listing; user data is the owner window of the
// password prompt. Password request: the prompt, then 1 with the password copied
// (cut to the buffer), or -1 when refused. A request for a volume that the library
// cannot find: -1, so the call ends with ERAR_EOPEN instead of asking forever.
// Everything else: 0.
int CALLBACK ListingCallback(UINT message, LPARAM userData, LPARAM p1, LPARAM p2);

struct OpenOutcome {
    int result = 0;  // 1 opened (also when the walk stopped early), -1 refused
    ListResult codes;
};

// The catalogue's half of opening an archive: lists `path` through `archive`,
// reports a refusal or a walk that stopped on an error (boxes owned by `owner`),
// and replaces the catalogue with what was read, top level shown. A refused
// archive leaves the catalogue as it was. `archive` is closed on return.
OpenOutcome OpenIntoCatalogue(ArchiveCatalogue& catalogue, const std::wstring& path, HWND owner,
                              RarArchive& archive);
