#pragma once

// Reading an archive's headers into entries: the library half of OpenArchive.

#include "catalogue/ArchiveCatalogue.h"
#include "catalogue/ArchiveEntry.h"
#include "catalogue/RarLibrary.h"

#include <atomic>
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

// What a walk on another thread shares with the thread that waits for it; both
// optional.
struct ListingWatch {
    std::atomic<size_t>* entriesRead = nullptr;   // the count so far, kept up to date
    const std::atomic<bool>* stop = nullptr;      // once set: no further library call, and any request refused
};

// What the library's callback works with while listing: its user data.
struct ListingSession {
    const PasswordRequest* askPassword = nullptr;
    bool passwordDeclined = false;
    const std::atomic<bool>* stop = nullptr;
};

// Opens `path` for listing into `archive` (headers only: nothing is unpacked),
// then appends one entry per header to `entries` in header order until a read or
// skip call fails or the watch says stop; the later pieces of an entry split
// across volumes add nothing. On an open failure nothing is open and `entries` is
// untouched; otherwise `archive` stays open.
ListResult ListArchive(const std::wstring& path, const PasswordRequest& askPassword, RarArchive& archive,
                       EntryList& entries, const ListingWatch& watch = {});

// Tests make a walk slow here: called on the walking thread after each entry read,
// with the count so far. Returns the seam it replaces; null for none.
using ListingStepSeam = void (*)(size_t entriesRead);
ListingStepSeam SetListingStepSeam(ListingStepSeam seam) noexcept;

// The library's callback while listing; user data is a ListingSession. Password
// request: the session's request, then 1 with the password copied (cut to the
// buffer), or -1 when declined. A request for a volume that the library cannot
// find: -1, so the call ends with ERAR_EOPEN instead of asking forever.
// Everything else: 0. Once the session's stop is set, and when answering throws:
// -1, as for a refused request.
int CALLBACK ListingCallback(UINT message, LPARAM userData, LPARAM p1, LPARAM p2);

// An archive listed: what the library said, and the new catalogue of the entries
// read (empty when the archive was refused), its folders built, in display order.
struct Listing {
    ListResult codes;
    ArchiveCatalogue catalogue;
};

// Lists `path` into a new catalogue, the archive closed on return. Runs on any
// thread; `askPassword` is called on the same one. Memory running out refuses the
// archive with ERAR_NO_MEMORY, and nothing half-built is kept.
Listing ListIntoNewCatalogue(const std::wstring& path, const PasswordRequest& askPassword,
                             const ListingWatch& watch = {});

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
// went wrong, then, unless the archive was refused, puts the listing's catalogue in
// place of `shown` with `path` as its archive path, top level shown. What `shown`
// held before comes back in `listed.catalogue`, for the caller to free where that
// costs the user nothing. A refused archive changes neither.
OpenOutcome PresentListing(ArchiveCatalogue& shown, const std::wstring& path, HWND owner, Listing& listed);

// Lists `path` and presents it, all on the calling thread.
OpenOutcome OpenIntoCatalogue(ArchiveCatalogue& catalogue, const std::wstring& path, HWND owner,
                              const PasswordRequest& askPassword);
