#include "extract/OpenEntry.h"

#include "catalogue/ArchiveCatalogue.h"
#include "catalogue/ResourceString.h"
#include "extract/DlgProgress.h"
#include "extract/OpenEntryPaths.h"
#include "framework/PathText.h"
#include "res/resource.h"
#include "widgets/ShellOpen.h"

#include <shellapi.h>

#include <string>

namespace {

// The system's own copy of a program: by bare name the shell would look in the
// program's folder and the current folder first. Empty when the system folder
// cannot be read.
std::wstring SystemProgram(const wchar_t* name)
{
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    return JoinPath(std::wstring(folder, length), name);
}

}  // namespace

void ShowUnsafeEntryError(HWND owner)
{
    const std::wstring text = LoadResourceString(IDS_ERROR_UNSAFE_ENTRY);
    const std::wstring caption = LoadResourceString(IDS_ERROR_CAPTION);
    ::MessageBoxW(owner, text.c_str(), caption.c_str(), MB_ICONERROR);
}

bool ExtractSelectionInto(const std::wstring& folder, HWND mainWindow, HWND listView, const ArchiveCatalogue& catalogue,
                          std::uint64_t totalBytes, UpdateMode updateMode)
{
    const ExtractionJob job = JobOver(catalogue, listView, folder, ExtractSelected, updateMode, totalBytes);
    return RunExtractionJob(job, mainWindow) == IDOK;
}

OpenEntryOutcome OpenEntryWithProgram(HWND mainWindow, HWND listView, const ArchiveCatalogue& catalogue,
                                      const ArchiveEntry& entry)
{
    if (entry.isFolder)
        return OpenEntryOutcome::NotWritten;
    if (!IsOpenableEntry(entry)) {
        ShowUnsafeEntryError(mainWindow);
        return OpenEntryOutcome::Refused;
    }
    const std::wstring folder = TemporaryFolderFor(catalogue.archivePath);
    if (folder.empty())
        return OpenEntryOutcome::NotWritten;
    const std::wstring target = ConfinedTarget(folder, entry.path);
    if (target.empty()) {
        ShowUnsafeEntryError(mainWindow);
        return OpenEntryOutcome::Refused;
    }

    // The shared folder: what is there (an earlier copy, perhaps edited) is opened.
    if (!ExtractSelectionInto(folder, mainWindow, listView, catalogue, entry.unpackedSize, UpdateSkip))
        return OpenEntryOutcome::NotExtracted;
    // Whatever the job did, the shell gets this one regular file inside the folder or nothing.
    if (!IsWrittenInside(folder, target, WrittenKind::File))
        return OpenEntryOutcome::NotWritten;

    const HINSTANCE opened = ShellExecuteSeam(mainWindow, L"open", target.c_str(), nullptr, nullptr, SW_SHOW);
    if (reinterpret_cast<INT_PTR>(opened) != SE_ERR_NOASSOC)
        return OpenEntryOutcome::Opened;
    const std::wstring rundll = SystemProgram(L"rundll32.exe");
    if (rundll.empty())
        return OpenEntryOutcome::Opened;
    const std::wstring chooser = L"shell32.dll,OpenAs_RunDLL " + target;
    ShellExecuteSeam(mainWindow, L"open", rundll.c_str(), chooser.c_str(), nullptr, SW_SHOWNORMAL);
    return OpenEntryOutcome::ChooserStarted;
}
