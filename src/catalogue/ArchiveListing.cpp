#include "catalogue/ArchiveListing.h"

#include "catalogue/ArchiveErrors.h"
#include "catalogue/ResourceString.h"
#include "res/resource.h"

#include <shlwapi.h>

#include <new>

namespace {

std::atomic<ListingStepSeam> stepSeam{nullptr};

bool Stopped(const std::atomic<bool>* stop)
{
    return stop && stop->load(std::memory_order_relaxed);
}

int AnswerListingRequest(ListingSession* session, UINT message, LPARAM p1, LPARAM p2)
{
    if (session && Stopped(session->stop))
        return -1;
    switch (message) {
    case UCM_NEEDPASSWORDW: {
        std::wstring password;
        if (!session || !session->askPassword || !*session->askPassword || !(*session->askPassword)(password)) {
            if (session)
                session->passwordDeclined = true;
            return -1;
        }
        auto* buffer = reinterpret_cast<wchar_t*>(p1);
        if (buffer && p2 > 0)
            StrCpyNW(buffer, password.c_str(), static_cast<int>(p2));
        return 1;
    }
    case UCM_CHANGEVOLUME:
    case UCM_CHANGEVOLUMEW:
        return p2 == RAR_VOL_ASK ? -1 : 0;
    default:
        return 0;
    }
}

}  // namespace

ListResult ListArchive(const std::wstring& path, const PasswordRequest& askPassword, RarArchive& archive,
                       EntryList& entries, const ListingWatch& watch)
{
    ListResult result;
    ListingSession session;
    session.askPassword = &askPassword;
    session.stop = watch.stop;
    result.openResult =
        archive.Open(path.c_str(), RarOpenMode::List, &ListingCallback, reinterpret_cast<LPARAM>(&session));
    if (result.openResult == ERAR_SUCCESS) {
        try {
            // About 10 KB: too big for a UI thread's stack frame to carry comfortably.
            auto header = std::make_unique<RARHeaderDataEx>();
            const ArchiveEntry* last = nullptr;
            const ListingStepSeam seam = stepSeam.load();
            for (;;) {
                // No one wants the rest: not another call into the library.
                if (Stopped(watch.stop)) {
                    result.stopCode = ERAR_UNKNOWN;
                    break;
                }
                int code = archive.ReadHeader(*header);
                if (code == ERAR_SUCCESS) {
                    auto entry = MakeEntry(*header);
                    // Each piece of an entry split across volumes comes with a header
                    // of its own: one entry per file, not per piece.
                    if (!(last && IsContinuedPiece(*header) && entry->path == last->path)) {
                        last = entry.get();
                        entries.push_back(std::move(entry));
                        if (watch.entriesRead)
                            watch.entriesRead->store(entries.size(), std::memory_order_relaxed);
                    }
                    if (seam)
                        seam(entries.size());
                    code = archive.Skip();
                }
                if (code != ERAR_SUCCESS) {
                    result.stopCode = code;
                    break;
                }
            }
        } catch (const std::bad_alloc&) {
            result.stopCode = ERAR_NO_MEMORY;
        }
    }
    // The library calls back inside its own calls only: the session is done with.
    result.passwordDeclined = session.passwordDeclined;
    return result;
}

ListingStepSeam SetListingStepSeam(ListingStepSeam seam) noexcept
{
    return stepSeam.exchange(seam);
}

int CALLBACK ListingCallback(UINT message, LPARAM userData, LPARAM p1, LPARAM p2)
{
    // Nothing may unwind through the library's frames.
    try {
        return AnswerListingRequest(reinterpret_cast<ListingSession*>(userData), message, p1, p2);
    } catch (...) {
        return -1;
    }
}

Listing ListIntoNewCatalogue(const std::wstring& path, const PasswordRequest& askPassword, const ListingWatch& watch)
{
    Listing listing;
    try {
        EntryList entries;
        RarArchive archive;
        listing.codes = ListArchive(path, askPassword, archive, entries, watch);
        archive.Close();
        if (listing.codes.openResult == ERAR_SUCCESS)
            listing.catalogue.BuildFolderTree(std::move(entries));
    } catch (const std::bad_alloc&) {
        listing.catalogue.ClearCatalogue();
        listing.codes = ListResult();
        listing.codes.openResult = ERAR_NO_MEMORY;
    }
    return listing;
}

void ShowListingErrors(const ListResult& result, HWND owner)
{
    if (result.openResult != ERAR_SUCCESS) {
        ShowArchiveError(result.openResult, owner);
        return;
    }
    if (result.stopCode == ERAR_END_ARCHIVE)
        return;
    if (ArchiveErrorStringId(result.stopCode) != 0) {
        ShowArchiveError(result.stopCode, owner);
        return;
    }
    // A code without a message would leave a partial list looking whole.
    if (!result.passwordDeclined) {
        const std::wstring text = LoadResourceString(IDS_ERROR_LISTING_INCOMPLETE);
        const std::wstring caption = LoadResourceString(IDS_ERROR_CAPTION);
        ::MessageBoxW(owner, text.c_str(), caption.c_str(), MB_ICONERROR);
    }
}

OpenOutcome PresentListing(ArchiveCatalogue& shown, const std::wstring& path, HWND owner, Listing& listed)
{
    OpenOutcome outcome;
    outcome.codes = listed.codes;
    // Entries read before a failure are still shown, after the message.
    ShowListingErrors(listed.codes, owner);
    if (listed.codes.openResult != ERAR_SUCCESS) {
        outcome.result = -1;
        return outcome;
    }
    std::swap(shown, listed.catalogue);
    shown.archivePath = path;
    shown.ShowTopLevel();
    outcome.result = 1;
    return outcome;
}

OpenOutcome OpenIntoCatalogue(ArchiveCatalogue& catalogue, const std::wstring& path, HWND owner,
                              const PasswordRequest& askPassword)
{
    Listing listed = ListIntoNewCatalogue(path, askPassword);
    return PresentListing(catalogue, path, owner, listed);
}
