#include "extract/ExtractionWorker.h"

#include "extract/MarkOfTheWeb.h"
#include "extract/ProgressText.h"
#include "extract/UnpackEvent.h"
#include "extract/UnsafeName.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

namespace {

UniqueLocal LocalCopyOf(const std::wstring& text)
{
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    UniqueLocal copy(::LocalAlloc(LPTR, bytes));
    if (copy)
        std::memcpy(copy.get(), text.c_str(), bytes);
    return copy;
}

}  // namespace

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
        int opened = archive.Open(job.archivePath.c_str(), RarOpenMode::Extract, &ExtractionCallback,
                                  reinterpret_cast<LPARAM>(this));
        if (callbackFailed)
            opened = ERAR_NO_MEMORY;
        if (opened != ERAR_SUCCESS) {
            Report(UNPACK_ERROR, opened);
            errorReported = true;
        } else {
            errorReported = ReportEnd(ExtractEntries(archive));
            archive.Close();
        }
        if (unsafeNames > 0) {
            Report(UNPACK_UNSAFE_NAMES, static_cast<LPARAM>(unsafeNames));
            errorReported = true;
        }
        if (linksLeftOut > 0) {
            Report(UNPACK_LINKS_LEFT_OUT, static_cast<LPARAM>(linksLeftOut));
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
        if (callbackFailed)
            return ERAR_NO_MEMORY;
        // After a refused password a failed read tells of the missing key, not
        // of a broken header: the library's own code is reported.
        if (channel.PasswordRefused())
            return result == HEADER_BROKEN || result == COMMENT_BROKEN ? ERAR_BAD_DATA : result;
        // The end of the walk as the listing met it, which told of it: it costs no
        // entry that the catalogue holds.
        if (result == COMMENT_BROKEN)
            return ERAR_END_ARCHIVE;
        if (result != ERAR_SUCCESS)
            return result;
        try {
            name.assign(header->FileNameW, ::wcsnlen(header->FileNameW, ARRAYSIZE(header->FileNameW)));
            // A later piece of the entry just met is no header of its own in the catalogue.
            const bool anotherPiece = IsContinuedPiece(*header) && name == previous;
            const bool taken = filter.Takes(name);
            previous = name;
            result = ExtractEntry(archive, name, MakesLink(*header), taken);
            if (taken && !anotherPiece)
                ++handledHeaders;
        } catch (const std::bad_alloc&) {
            result = ERAR_NO_MEMORY;
        }
        if (callbackFailed)
            return ERAR_NO_MEMORY;
        if (result == ERAR_SUCCESS)
            continue;
        // A cancel aborts the library's call with a code of its own.
        if (!EndsOnlyTheEntry(result, archive.IsSolid()) || channel.IsCancelled())
            return result;
        EntryFailed(name, result);
    }
}

void ExtractionWorker::EntryFailed(const std::wstring& name, int code)
{
    // The first is told at once, as when it ended the job; the rest at the end.
    if (failures.Count() == 0)
        Report(UNPACK_ERROR, code);
    failures.Add(name, code);
}

bool ExtractionWorker::ReportEnd(int ended)
{
    // A cancel between entries ends with 0, the walk's normal end with 10.
    const int stoppedBy = ended == ERAR_END_ARCHIVE ? ERAR_SUCCESS : ended;
    if (failures.Count() == 0) {
        if (stoppedBy != ERAR_SUCCESS)
            Report(UNPACK_ERROR, stoppedBy);
    } else if (failures.NeedsSummary(stoppedBy)) {
        ReportText(UNPACK_FAILED_ENTRIES, failures.SummaryText(stoppedBy));
    }
    return cancelledBetweenEntries || stoppedBy != ERAR_SUCCESS || failures.Count() > 0;
}

int ExtractionWorker::ExtractEntry(RarArchive& archive, const std::wstring& name, bool isLink, bool taken)
{
    if (!taken || !Wanted(name, isLink)) {
        const int result = archive.SkipWide();
        ShowEntry(UNPACK_SKIPPING, name);
        return result;
    }
    ShowEntry(UNPACK_EXTRACTING, name);
    // The library would cut the path to its buffer and write somewhere else: the
    // entry is passed over instead, and fails.
    if (!FitsLibrary(destination, name)) {
        const int skipped = archive.SkipWide();
        return skipped == ERAR_SUCCESS ? ERAR_ECREATE : skipped;
    }
    fileCreated = false;
    int result = archive.ExtractTo(destination.c_str());
    // The file the library made, under the name it used (which drops trailing
    // dots and blanks, renames devices...), gets the mark whatever the outcome,
    // and after the library's own streams: an archive's own Zone.Identifier
    // record does not outlast ours. Best effort: a file system without streams
    // leaves the file unmarked.
    if (fileCreated && !zoneIdentifier.empty())
        WriteZoneIdentifier(FullPathName(createdFile.data()), zoneIdentifier);
    // A stream record of the file left out for its name; the file is written.
    if (result == ERAR_UNSAFE_STREAM) {
        ++unsafeNames;
        result = ERAR_SUCCESS;
    }
    return result;
}

bool ExtractionWorker::Wanted(const std::wstring& name, bool isLink)
{
    if (IsUnsafeEntryName(name)) {
        ++unsafeNames;
        return false;
    }
    // Quillet makes no links (nor does its library on Windows): a link could
    // lead out of the destination, or let a later entry write through it.
    if (isLink) {
        ++linksLeftOut;
        return false;
    }
    if (job.updateMode == UpdateSkip && PathExists(JoinPath(destination, name)))
        return false;
    return true;
}

int CALLBACK ExtractionWorker::ExtractionCallback(UINT message, LPARAM userData, LPARAM p1, LPARAM p2)
{
    auto* worker = reinterpret_cast<ExtractionWorker*>(userData);
    if (!worker)
        return -1;
    // An exception must not unwind through the library, whose frames belong to
    // another runtime (on 32-bit Windows the process ends): the request is
    // refused, and the job ends with "Not enough memory.", all that can fail here.
    try {
        return worker->OnLibraryMessage(message, p1, p2);
    } catch (...) {
        worker->callbackFailed = true;
        return -1;
    }
}

int ExtractionWorker::OnLibraryMessage(UINT message, LPARAM p1, LPARAM p2)
{
    // Noted even after Cancel: the file is there, and is marked.
    if (message == UCM_FILECREATEDW) {
        NoteCreatedFile(reinterpret_cast<const wchar_t*>(p1));
        return 1;
    }
    if (channel.IsCancelled())
        return -1;
    switch (message) {
    case UCM_PROCESSDATA:
        AddBytesDone(static_cast<std::int32_t>(p2));
        return 1;
    case UCM_NEEDPASSWORDW:
        return WaitForPassword(reinterpret_cast<wchar_t*>(p1), static_cast<int>(p2));
    case UCM_CHANGEVOLUME:
    case UCM_CHANGEVOLUMEW:
        // Asked for a volume that is not there: no one can bring it, so the
        // library gives up with ERAR_EOPEN instead of asking forever.
        return p2 == RAR_VOL_ASK ? -1 : 1;
    default:
        return 1;
    }
}

void ExtractionWorker::NoteCreatedFile(const wchar_t* name) noexcept
{
    const size_t length = name ? ::wcsnlen(name, createdFile.size()) : createdFile.size();
    if (length == 0 || length == createdFile.size())
        return;
    std::copy(name, name + length + 1, createdFile.begin());
    fileCreated = true;
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
    UniqueLocal copy = LocalCopyOf(name);
    if (!copy)
        return false;
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

bool ExtractionWorker::Report(WPARAM tag, LPARAM value)
{
    FlushDisplay();
    channel.ResetEvent();
    if (!PostSurely(tag, value))
        return false;
    channel.WaitForEvent();
    return true;
}

void ExtractionWorker::ReportText(WPARAM tag, const std::wstring& text)
{
    UniqueLocal copy = LocalCopyOf(text);
    // The block is the dialog's once posted, freed there by now.
    if (copy && Report(tag, reinterpret_cast<LPARAM>(copy.get())))
        copy.release();
}
