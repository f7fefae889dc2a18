#include "extract/ExtractionPaths.h"

#include <windows.h>

#include <vector>

namespace {

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(PlatformPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool PathExists(const std::wstring& path)
{
    return ::GetFileAttributesW(PlatformPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CreateFolderWithParents(const std::wstring& path)
{
    const size_t root = RootLength(path);
    if (root == 0)
        return false;
    if (IsFolder(path))
        return true;
    // From the root down: folders that are there already answer ERROR_ALREADY_EXISTS.
    size_t end = root;
    while (end < path.size()) {
        while (end < path.size() && IsSeparator(path[end]))
            ++end;
        end = ComponentEnd(path, end);
        const std::wstring prefix = path.substr(0, end);
        if (!::CreateDirectoryW(PlatformPath(prefix).c_str(), nullptr)) {
            if (::GetLastError() != ERROR_ALREADY_EXISTS || !IsFolder(prefix))
                return false;
        }
    }
    return IsFolder(path);
}

bool FitsLibrary(const std::wstring& destination, const std::wstring& name)
{
    return destination.size() + 1 + name.size() <= kLibraryPathLimit;
}

void RemoveFolderTree(const std::wstring& path)
{
    if (RootLength(path) == 0 || RootLength(path) >= path.size())
        return;
    // Folders are removed after their contents: the pending list is walked twice.
    std::vector<std::wstring> folders{path};
    for (size_t next = 0; next < folders.size(); ++next) {
        WIN32_FIND_DATAW found;
        const HANDLE search = ::FindFirstFileW(PlatformPath(JoinPath(folders[next], L"*")).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            continue;
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring item = PlatformPath(JoinPath(folders[next], name));
            if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
                ::SetFileAttributesW(item.c_str(), found.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
            const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                folder ? ::RemoveDirectoryW(item.c_str()) : ::DeleteFileW(item.c_str());
            else if (folder)
                folders.push_back(JoinPath(folders[next], name));
            else
                ::DeleteFileW(item.c_str());
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        ::RemoveDirectoryW(PlatformPath(*folder).c_str());
}
