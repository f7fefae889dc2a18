#pragma once

// The extraction job's worker thread: every RAR library call of a job is made
// here. It talks to its progress dialog only by posting WM_UNPACK_EVENT and
// waits on the job's event where the dialog has to answer (a password, an
// acknowledged error box).

#include "catalogue/RarLibrary.h"
#include "extract/EntryFailures.h"
#include "extract/EntryFilter.h"
#include "extract/ExtractionJob.h"
#include "extract/ExtractionPaths.h"
#include "framework/Handles.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

// What the progress dialog and its worker share; the dialog owns it.
class JobChannel {
public:
    JobChannel() = default;
    JobChannel(const JobChannel&) = delete;
    JobChannel& operator=(const JobChannel&) = delete;

    // Takes the auto-reset event that the handshakes go through; false when there
    // is none, and then no worker may start: it would wait forever.
    bool Open(UniqueKernelHandle autoResetEvent) noexcept;

    void Cancel();
    bool IsCancelled();

    // The dialog's side of a handshake: the answer is written first, then the
    // worker woken.
    void Answer(bool refused, const std::wstring& typed);
    void Acknowledge() const noexcept { ::SetEvent(event.get()); }

    // The worker's side: nothing before this is left signalled...
    void ResetEvent() const noexcept { ::ResetEvent(event.get()); }
    // ...and this returns once the dialog has answered (false when the dialog
    // object is going away instead).
    bool WaitForEvent() const;

    // Valid after a successful wait for a password answer.
    bool PasswordRefused() const noexcept { return passwordRefused; }
    const std::wstring& Password() const noexcept { return password; }

    // The dialog object is being destroyed: whatever the worker waits for will
    // not come.
    void Abandon();
    bool IsAbandoned() const noexcept { return abandoned.load(); }

private:
    CriticalSection lock;  // guards `cancelled` only
    bool cancelled = false;
    UniqueKernelHandle event;  // auto-reset
    std::wstring password;
    bool passwordRefused = false;
    std::atomic<bool> abandoned{false};
};

// How often the worker shows a new entry name or progress at most, in ms. A
// stream of posted messages would keep input and painting from the dialog,
// since the queue hands out posted messages first, and every label change is
// drawn; what is not shown in time is replaced by the next one, and the last
// state is shown before any box and before the end.
constexpr DWORD kDefaultDisplayIntervalMs = 100;

class ExtractionWorker {
public:
    ExtractionWorker(const ExtractionJob& job, EntryFilter filter, JobChannel& channel, HWND dialog,
                     DWORD displayIntervalMs);
    ExtractionWorker(const ExtractionWorker&) = delete;
    ExtractionWorker& operator=(const ExtractionWorker&) = delete;

    // The whole job; posts UNPACK_DONE as its last word to the dialog.
    void Run();
    // After Run() threw: "Not enough memory.", then UNPACK_DONE with the error flag.
    void EndAfterFailure() noexcept;

    // The library's callback for the job; user data is the worker. Nothing
    // thrown leaves it.
    static int CALLBACK ExtractionCallback(UINT message, LPARAM userData, LPARAM p1, LPARAM p2);

    // For _beginthreadex: runs the worker given as argument.
    static unsigned __stdcall ThreadMain(void* worker);

private:
    // The code that ended the walk over the headers. An entry that fails on its
    // own is told of once (the first) and counted, and the walk goes on.
    int ExtractEntries(RarArchive& archive);
    void EntryFailed(const std::wstring& name, int code);
    // After the walk: what stopped it early (0 when nothing did), and the failed
    // entries beyond the first.
    bool ReportEnd(int ended);
    // `taken`: the job's choice includes the entry.
    int ExtractEntry(RarArchive& archive, const std::wstring& name, bool isLink, bool taken);
    // Whether an entry of the job's choice is written: its name is safe, it is no
    // link, and it is not to be skipped for being there.
    bool Wanted(const std::wstring& name, bool isLink);

    // What ExtractionCallback answers; may throw.
    int OnLibraryMessage(UINT message, LPARAM p1, LPARAM p2);
    void NoteCreatedFile(const wchar_t* name) noexcept;

    int WaitForPassword(wchar_t* buffer, int size);
    void AddBytesDone(std::int32_t count);

    void Show(WPARAM tag);
    void ShowEntry(WPARAM tag, const std::wstring& name);
    void ShowProgress(std::uint32_t position);
    void FlushDisplay();
    bool PostName(WPARAM tag, const std::wstring& name) const;
    // For messages that must arrive: retried while the queue is full.
    bool PostSurely(WPARAM tag, LPARAM value) const;
    // Posts a message that the dialog acknowledges, and waits for that; false
    // when it could not be posted.
    bool Report(WPARAM tag, LPARAM value);
    // The same with a text, whose copy passes to the dialog.
    void ReportText(WPARAM tag, const std::wstring& text);
    bool TimeToShow(ULONGLONG& lastShown) const;

    const ExtractionJob job;
    const EntryFilter filter;
    JobChannel& channel;
    const HWND dialog;
    const DWORD displayIntervalMs;

    // Headers the job must handle before it is done (0: walk to the end). Past
    // the last of them the walk stops: in a solid archive every header more would
    // be unpacked only to be skipped.
    size_t wantedHeaders = 0;
    size_t handledHeaders = 0;

    std::wstring destination;    // normalized
    std::string zoneIdentifier;  // the archive's mark of the web, given to every file written
    std::uint64_t bytesDone = 0;
    unsigned unsafeNames = 0;  // entries and stream records left out for their names
    unsigned linksLeftOut = 0;
    EntryFailures failures;
    bool cancelledBetweenEntries = false;
    // Set when the callback failed (memory ran out) and answered as refused.
    bool callbackFailed = false;

    // The file the library created for the entry being extracted, under the name
    // it used; the library's own buffer has the same room.
    std::array<wchar_t, kLibraryTargetRoom> createdFile{};
    bool fileCreated = false;

    ULONGLONG nameShownAt = 0;
    bool namePending = false;
    WPARAM pendingTag = 0;
    std::wstring pendingName;
    ULONGLONG progressShownAt = 0;
    bool progressPending = false;
    std::uint32_t pendingPosition = 0;
    std::uint32_t shownPosition = 0;
};
