#pragma once

// Reading an archive's headers into entries: the library half of OpenArchive.

#include "catalogue/ArchiveCatalogue.h"
#include "catalogue/ArchiveEntry.h"
#include "catalogue/RarLibrary.h"

#include <functional>
#include <string>

// Asked when the library needs the archive's password: true with the password
// typed, false when the user declines. The caller decides how to ask (the main
// window shows its prompt); an empty request declines.
using PasswordRequest = std::function<bool(std::wstring& password)>;

struct ListResult {
    int openResult = 0;             // the library's OpenResult; non-zero = not opened
    int stopCode = 0;               // what ended the header walk (ERAR_END_ARCHIVE when all went well)
    bool passwordDeclined = false;  // the user declined a password request on the way
};

// What the library's callback works with while listing: its user data.
struct ListingSession {
    const PasswordRequest* askPassword = nullptr;
    bool passwordDeclined = false;
};

// Opens `path` for listing into `archive` (headers only: nothing is unpacked),
// then appends one entry per header to `entries` in header order until a read or
// skip call fails; the later pieces of an entry split across volumes add nothing.
// On an open failure nothing is open and `entries` is untouched; otherwise
// `archive` stays open: the caller closes it once the tree is shown.
ListResult ListArchive(const std::wstring& path, const PasswordRequest& askPassword, RarArchive& archive,
                       EntryList& entries);

// The library's callback while listing; user data is a ListingSession. Password
// request: the session's request, then 1 with the password copied (cut to the
// buffer), or -1 when declined. A request for a volume that the library cannot
// find: -1, so the call ends with ERAR_EOPEN instead of asking forever.
// Everything else: 0.
int CALLBACK ListingCallback(UINT message, LPARAM userData, LPARAM p1, LPARAM p2);

struct OpenOutcome {
    int result = 0;  // 1 opened (also when the walk stopped early), -1 refused
    ListResult codes;
};

// Tells the user what went wrong while listing, in error boxes owned by `owner`:
// the message of the code that refused the archive or stopped the walk; for a walk
// stopped by a code that has no message of its own, that the archive could not be
// read to the end, unless the user had just declined a password request.
void ShowListingErrors(const ListResult& result, HWND owner);

// The catalogue's half of opening an archive once it has been listed: reports what
// went wrong, then replaces the catalogue with the entries read, top level shown.
// A refused archive leaves the catalogue as it was.
OpenOutcome PresentListing(ArchiveCatalogue& catalogue, const std::wstring& path, HWND owner, const ListResult& listed,
                           EntryList entries);

// Lists `path` through `archive` and presents it; `archive` is closed on return.
OpenOutcome OpenIntoCatalogue(ArchiveCatalogue& catalogue, const std::wstring& path, HWND owner,
                              const PasswordRequest& askPassword, RarArchive& archive);
