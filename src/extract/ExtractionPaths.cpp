#include "extract/ExtractionPaths.h"

#include "framework/PathText.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace {

bool IsDriveLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.compare(0, std::wcslen(prefix), prefix) == 0;
}

// Index just past the end of the component that starts at `from`.
size_t ComponentEnd(const std::wstring& path, size_t from)
{
    while (from < path.size() && !IsSeparator(path[from]))
        ++from;
    return from;
}

// Length of the part that cannot be created: "C:\", "\\server\share",
// "\\?\C:\", "\\?\UNC\server\share". 0 when there is none.
size_t RootLength(const std::wstring& path)
{
    size_t start = 0;
    bool unc = false;
    if (StartsWith(path, L"\\\\?\\UNC\\")) {
        start = 8;
        unc = true;
    } else if (StartsWith(path, L"\\\\?\\")) {
        start = 4;
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        start = 2;
        unc = true;
    }
    if (unc) {
        const size_t server = ComponentEnd(path, start);
        if (server == start || server >= path.size())
            return 0;
        const size_t share = ComponentEnd(path, server + 1);
        return share == server + 1 ? 0 : share;
    }
    if (path.size() >= start + 3 && IsDriveLetter(path[start]) && path[start + 1] == L':' &&
        IsSeparator(path[start + 2]))
        return start + 3;
    return 0;
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(PlatformPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool IsAbsolutePath(const std::wstring& path)
{
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsSeparator(path[2]))
        return true;
    return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]);
}

std::wstring NormalizedFolderPath(const std::wstring& path)
{
    if (!IsAbsolutePath(path))
        return std::wstring();
    std::wstring full = FullPathName(path);
    const size_t root = RootLength(full);
    if (root == 0)
        return std::wstring();
    while (full.size() > root && IsSeparator(full.back()))
        full.pop_back();
    return full;
}

std::wstring PlatformPath(const std::wstring& path)
{
    // CreateDirectoryW's own limit is MAX_PATH less room for an 8.3 name.
    constexpr size_t kShortLimit = MAX_PATH - 12;
    if (path.size() < kShortLimit || StartsWith(path, L"\\\\?\\"))
        return path;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))
        return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name)
{
    if (folder.empty())
        return name;
    std::wstring joined = folder;
    if (!IsSeparator(joined.back()))
        joined += L'\\';
    size_t first = 0;
    while (first < name.size() && IsSeparator(name[first]))
        ++first;
    joined.append(name, first, std::wstring::npos);
    return joined;
}

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
