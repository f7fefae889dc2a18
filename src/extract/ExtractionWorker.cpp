#include "extract/ExtractionWorker.h"

#include "extract/ExtractionPaths.h"
#include "extract/MarkOfTheWeb.h"
#include "extract/ProgressText.h"
#include "extract/UnpackEvent.h"
#include "extract/UnsafeName.h"

#include <shlwapi.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

bool JobChannel::Open(UniqueKernelHandle autoResetEvent) noexcept
{
    event = std::move(autoResetEvent);
    return static_cast<bool>(event);
}

void JobChannel::Cancel()
{
    ScopedLock guard(lock);
    cancelled = true;
}

bool JobChannel::IsCancelled()
{
    ScopedLock guard(lock);
    return cancelled;
}

void JobChannel::Answer(bool refused, const std::wstring& typed)
{
    passwordRefused = refused;
    password = refused ? std::wstring() : typed;
    Acknowledge();
}

bool JobChannel::WaitForEvent() const
{
    // Short waits with a breath between them, and an eye on the dialog's end.
    for (;;) {
        if (::WaitForSingleObject(event.get(), 10) == WAIT_OBJECT_0)
            return !abandoned.load();
        if (abandoned.load())
            return false;
        ::Sleep(1);
    }
}

void JobChannel::Abandon()
{
    abandoned.store(true);
    Cancel();
    Acknowledge();
}

ExtractionWorker::ExtractionWorker(const ExtractionJob& extractionJob, EntryFilter entryFilter, JobChannel& jobChannel,
                                   HWND dialogWindow, DWORD intervalMs)
    : job(extractionJob), filter(std::move(entryFilter)), channel(jobChannel), dialog(dialogWindow),
      displayIntervalMs(intervalMs)
{
}

unsigned __stdcall ExtractionWorker::ThreadMain(void* worker)
{
    auto* self = static_cast<ExtractionWorker*>(worker);
    // Nothing may leave the thread's function: the C runtime would end the
    // program. Whatever failed, the dialog is told and ended.
    try {
        self->Run();
    } catch (...) {
        self->EndAfterFailure();
    }
    return 0;
}

void ExtractionWorker::EndAfterFailure() noexcept
{
    // Only memory runs out between the worker's library calls.
    channel.ResetEvent();
    if (PostSurely(UNPACK_ERROR, ERAR_NO_MEMORY))
        channel.WaitForEvent();
    PostSurely(UNPACK_DONE, 1);
}

void ExtractionWorker::Run()
{
    // Nothing chosen (the ".." row alone was selected): no folder to make, no
    // archive to walk.
    if (filter.TakesNothing()) {
        PostSurely(UNPACK_DONE, 0);
        return;
    }
    // Here rather than before the thread starts: over a catalogue of a million
    // entries the count takes a while.
    wantedHeaders = filter.TakesAll() || !job.catalogue ? 0 : filter.CountTaken(*job.catalogue);
    bool errorReported = false;
    Show(UNPACK_CREATING_FOLDER);
    destination = NormalizedFolderPath(job.destination);
    if (destination.empty() || !CreateFolderWithParents(destination)) {
        Report(UNPACK_DESTINATION_FAILED, 0);
        errorReported = true;
    } else {
        zoneIdentifier = ReadZoneIdentifier(job.archivePath);
        RarArchive archive;
        const int opened = archive.Open(job.archivePath.c_str(), RarOpenMode::Extract, &ExtractionCallback,
                                        reinterpret_cast<LPARAM>(this));
        if (opened != ERAR_SUCCESS) {
            Report(UNPACK_ERROR, opened);
            errorReported = true;
        } else {
            const int ended = ExtractEntries(archive);
            if (cancelledBetweenEntries) {
                errorReported = true;
            } else if (ended != ERAR_SUCCESS && ended != ERAR_END_ARCHIVE) {
                Report(UNPACK_ERROR, ended);
                errorReported = true;
            }
            archive.Close();
        }
        if (unsafeNames > 0) {
            Report(UNPACK_UNSAFE_NAMES, static_cast<LPARAM>(unsafeNames));
            errorReported = true;
        }
    }
    FlushDisplay();
    PostSurely(UNPACK_DONE, errorReported ? 1 : 0);
}

int ExtractionWorker::ExtractEntries(RarArchive& archive)
{
    std::unique_ptr<RARHeaderDataEx> header;
    std::wstring name;
    try {
        // Zero-filled once: the library reads some of its fields.
        header = std::make_unique<RARHeaderDataEx>();
    } catch (const std::bad_alloc&) {
        return ERAR_NO_MEMORY;
    }
    std::wstring previous;
    for (;;) {
        // Everything asked for is done: what follows would only be skipped.
        if (wantedHeaders > 0 && handledHeaders >= wantedHeaders)
            return ERAR_END_ARCHIVE;
        // Skipping makes no library callbacks, so Cancel is also read here.
        if (channel.IsCancelled()) {
            cancelledBetweenEntries = true;
            return ERAR_SUCCESS;
        }
        int result = archive.ReadHeader(*header);
        // After a refused password a failed read tells of the missing key, not
        // of a broken header: the library's own code is reported.
        if (channel.PasswordRefused())
            return result == HEADER_BROKEN ? ERAR_BAD_DATA : result;
        if (result != ERAR_SUCCESS)
            return result;
        try {
            name.assign(header->FileNameW, ::wcsnlen(header->FileNameW, ARRAYSIZE(header->FileNameW)));
            // A later piece of the entry just met is no header of its own in the catalogue.
            const bool anotherPiece = IsContinuedPiece(*header) && name == previous;
            const bool taken = filter.Takes(name);
            previous = name;
            result = ExtractEntry(archive, name, IsFolderHeader(*header), taken);
            if (taken && !anotherPiece && result == ERAR_SUCCESS)
                ++handledHeaders;
        } catch (const std::bad_alloc&) {
            result = ERAR_NO_MEMORY;
        }
        if (result != ERAR_SUCCESS)
            return result;
    }
}

int ExtractionWorker::ExtractEntry(RarArchive& archive, const std::wstring& name, bool isFolder, bool taken)
{
    if (!taken || !Wanted(name)) {
        const int result = archive.SkipWide();
        ShowEntry(UNPACK_SKIPPING, name);
        return result;
    }
    ShowEntry(UNPACK_EXTRACTING, name);
    // The library would cut the path to its buffer and write somewhere else.
    if (!FitsLibrary(destination, name))
        return ERAR_ECREATE;
    const int result = archive.ExtractTo(destination.c_str());
    // Best effort: a file system without streams leaves the file unmarked.
    if (result == ERAR_SUCCESS && !isFolder && !zoneIdentifier.empty())
        WriteZoneIdentifier(JoinPath(destination, name), zoneIdentifier);
    return result;
}

bool ExtractionWorker::Wanted(const std::wstring& name)
{
    if (IsUnsafeEntryName(name)) {
        ++unsafeNames;
        return false;
    }
    if (job.updateMode == UpdateSkip && PathExists(JoinPath(destination, name)))
        return false;
    return true;
}

int CALLBACK ExtractionWorker::ExtractionCallback(UINT message, LPARAM userData, LPARAM p1, LPARAM p2)
{
    auto* worker = reinterpret_cast<ExtractionWorker*>(userData);
    if (!worker || worker->channel.IsCancelled())
        return -1;
    switch (message) {
    case UCM_PROCESSDATA:
        worker->AddBytesDone(static_cast<std::int32_t>(p2));
        return 1;
    case UCM_NEEDPASSWORDW:
        return worker->WaitForPassword(reinterpret_cast<wchar_t*>(p1), static_cast<int>(p2));
    case UCM_CHANGEVOLUME:
    case UCM_CHANGEVOLUMEW:
        // Asked for a volume that is not there: no one can bring it, so the
        // library gives up with ERAR_EOPEN instead of asking forever.
        return p2 == RAR_VOL_ASK ? -1 : 1;
    default:
        return 1;
    }
}

int ExtractionWorker::WaitForPassword(wchar_t* buffer, int size)
{
    FlushDisplay();
    if (!PostSurely(UNPACK_NEED_PASSWORD, 0) || !channel.WaitForEvent())
        return -1;
    if (channel.PasswordRefused())
        return -1;
    if (buffer && size > 0)
        ::StrCpyNW(buffer, channel.Password().c_str(), size);
    return 1;
}

void ExtractionWorker::AddBytesDone(std::int32_t count)
{
    const auto signedDone = static_cast<std::int64_t>(bytesDone) + count;
    bytesDone = signedDone > 0 ? static_cast<std::uint64_t>(signedDone) : 0;
    // A large entry brings only data callbacks: its name, held back, shows now.
    if (namePending && TimeToShow(nameShownAt)) {
        namePending = false;
        PostName(pendingTag, pendingName);
    }
    ShowProgress(ProgressPosition(bytesDone, job.totalBytes));
}

bool ExtractionWorker::TimeToShow(ULONGLONG& lastShown) const
{
    if (displayIntervalMs == 0)
        return true;
    const ULONGLONG now = ::GetTickCount64();
    if (lastShown != 0 && now - lastShown < displayIntervalMs)
        return false;
    lastShown = now;
    return true;
}

void ExtractionWorker::Show(WPARAM tag)
{
    ::PostMessageW(dialog, WM_UNPACK_EVENT, tag, 0);
}

void ExtractionWorker::ShowEntry(WPARAM tag, const std::wstring& name)
{
    if (TimeToShow(nameShownAt)) {
        namePending = false;
        PostName(tag, name);
        return;
    }
    namePending = true;
    pendingTag = tag;
    pendingName = name;
}

void ExtractionWorker::ShowProgress(std::uint32_t position)
{
    if (position == shownPosition && !progressPending)
        return;
    if (TimeToShow(progressShownAt)) {
        progressPending = false;
        shownPosition = position;
        ::PostMessageW(dialog, WM_UNPACK_EVENT, UNPACK_PROGRESS, static_cast<LPARAM>(position));
        return;
    }
    progressPending = true;
    pendingPosition = position;
}

void ExtractionWorker::FlushDisplay()
{
    if (namePending) {
        namePending = false;
        PostName(pendingTag, pendingName);
    }
    if (progressPending) {
        progressPending = false;
        shownPosition = pendingPosition;
        ::PostMessageW(dialog, WM_UNPACK_EVENT, UNPACK_PROGRESS, static_cast<LPARAM>(pendingPosition));
    }
}

bool ExtractionWorker::PostName(WPARAM tag, const std::wstring& name) const
{
    const size_t bytes = (name.size() + 1) * sizeof(wchar_t);
    UniqueLocal copy(::LocalAlloc(LPTR, bytes));
    if (!copy)
        return false;
    std::memcpy(copy.get(), name.c_str(), bytes);
    // The block is the dialog's once posted; it stays ours when the post fails.
    if (!::PostMessageW(dialog, WM_UNPACK_EVENT, tag, reinterpret_cast<LPARAM>(copy.get())))
        return false;
    copy.release();
    return true;
}

bool ExtractionWorker::PostSurely(WPARAM tag, LPARAM value) const
{
    for (;;) {
        if (::PostMessageW(dialog, WM_UNPACK_EVENT, tag, value))
            return true;
        if (::GetLastError() != ERROR_NOT_ENOUGH_QUOTA || channel.IsAbandoned())
            return false;
        ::Sleep(1);
    }
}

void ExtractionWorker::Report(WPARAM tag, LPARAM value)
{
    FlushDisplay();
    channel.ResetEvent();
    if (PostSurely(tag, value))
        channel.WaitForEvent();
}
