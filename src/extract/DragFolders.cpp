#include "extract/DragFolders.h"

#include "extract/ExtractionPaths.h"
#include "extract/OpenEntryPaths.h"

#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr wchar_t kMarkerSuffix[] = L".lock";
constexpr wchar_t kDragInfix[] = L"-quillet-drag-";
constexpr size_t kUniqueDigits = 8;
// What a marker holds: a file of the name with other contents is not ours.
constexpr char kSignature[] = "Quillet drag folder\r\n";
constexpr DWORD kSignatureLength = sizeof(kSignature) - 1;

// The markers of the folders kept, held until the process ends so that no other
// Quillet takes their folders for leftovers; a drop's end may come on another thread.
struct KeptMarkers {
    CriticalSection lock;
    std::vector<UniqueKernelHandle> markers;
};

KeptMarkers& Kept()
{
    static KeptMarkers kept;
    return kept;
}

bool IsHexDigit(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F');
}

// "<archive name>-quillet-drag-1F2E3D4C.lock"
bool IsMarkerName(const std::wstring& name)
{
    const size_t suffix = std::char_traits<wchar_t>::length(kMarkerSuffix);
    const size_t infix = std::char_traits<wchar_t>::length(kDragInfix);
    if (name.size() <= infix + kUniqueDigits + suffix || name.compare(name.size() - suffix, suffix, kMarkerSuffix) != 0)
        return false;
    const size_t digits = name.size() - suffix - kUniqueDigits;
    if (name.compare(digits - infix, infix, kDragInfix) != 0)
        return false;
    for (size_t i = digits; i < digits + kUniqueDigits; ++i) {
        if (!IsHexDigit(name[i]))
            return false;
    }
    return true;
}

bool HoldsSignature(HANDLE marker)
{
    char contents[kSignatureLength + 1] = {};
    DWORD read = 0;
    return ::ReadFile(marker, contents, sizeof(contents), &read, nullptr) && read == kSignatureLength &&
           std::memcmp(contents, kSignature, kSignatureLength) == 0;
}

bool IsPlainFolder(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(PlatformPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

std::wstring DragFolderMarker(const std::wstring& folder)
{
    return folder + kMarkerSuffix;
}

DragFolder DragFolder::Create(const std::wstring& archivePath)
{
    DragFolder folder;
    folder.path = CreateFreshTemporaryFolder(archivePath);
    if (folder.path.empty())
        return folder;
    // Others may read it (a later start looks for its signature), none may take it
    // for their own while it is held.
    const std::wstring marker = DragFolderMarker(folder.path);
    folder.marker.reset(::CreateFileW(PlatformPath(marker).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_HIDDEN, nullptr));
    DWORD written = 0;
    if (!folder.marker || !::WriteFile(folder.marker.get(), kSignature, kSignatureLength, &written, nullptr) ||
        written != kSignatureLength) {
        // A folder no later start would know for ours is not made at all.
        const bool made = static_cast<bool>(folder.marker);
        folder.marker.reset();
        if (made)
            ::DeleteFileW(PlatformPath(marker).c_str());
        RemoveFolderTree(folder.path);
        folder.path.clear();
    }
    return folder;
}

DragFolder& DragFolder::operator=(DragFolder&& other) noexcept
{
    if (this != &other) {
        Keep();
        path = std::move(other.path);
        marker = std::move(other.marker);
        other.path.clear();
    }
    return *this;
}

DragFolder::~DragFolder()
{
    Keep();
}

void DragFolder::Keep() noexcept
{
    if (marker) {
        KeptMarkers& kept = Kept();
        ScopedLock guard(kept.lock);
        try {
            kept.markers.push_back(std::move(marker));
        } catch (...) {
            // Without room to keep it, the handle stays open to the end as it is.
            marker.release();
        }
    }
    path.clear();
}

void DragFolder::Remove()
{
    if (path.empty())
        return;
    RemoveFolderTree(path);
    // What could not go (a file a target still has open) is left, marked, to a later start.
    if (PathExists(path)) {
        Keep();
        return;
    }
    marker.reset();
    ::DeleteFileW(PlatformPath(DragFolderMarker(path)).c_str());
    path.clear();
}

void RemoveLeftoverDragFolders()
{
    const std::wstring temporary = UserTemporaryFolder();
    if (temporary.empty())
        return;
    WIN32_FIND_DATAW found;
    const HANDLE search =
        ::FindFirstFileW(PlatformPath(JoinPath(temporary, std::wstring(L"*") + kDragInfix + L"*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) || !IsMarkerName(name))
            continue;
        const std::wstring marker = JoinPath(temporary, name);
        const std::wstring folder = marker.substr(0, marker.size() - std::char_traits<wchar_t>::length(kMarkerSuffix));
        // Opened alone: it fails while the Quillet that made it still holds it.
        UniqueKernelHandle held(::CreateFileW(PlatformPath(marker).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                              FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!held || !HoldsSignature(held.get()))
            continue;
        // A link in the folder's place is not ours.
        if (IsPlainFolder(folder))
            RemoveFolderTree(folder);
        held.reset();
        // What could not go (a file still open somewhere) waits, marked, for the next start.
        if (!PathExists(folder))
            ::DeleteFileW(PlatformPath(marker).c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}
