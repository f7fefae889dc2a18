#include "framework/PathText.h"

#include <windows.h>

#include <cwchar>

namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.compare(0, std::wcslen(prefix), prefix) == 0;
}

}  // namespace

size_t ComponentEnd(const std::wstring& path, size_t from)
{
    while (from < path.size() && !IsSeparator(path[from]))
        ++from;
    return from;
}

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

bool IsAbsolutePath(const std::wstring& path)
{
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsSeparator(path[2]))
        return true;
    return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]);
}

std::wstring FullPathName(const std::wstring& path)
{
    if (path.empty())
        return path;
    std::wstring full(path.size() + MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
        if (length == 0)
            return path;
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        // Too small: the answer is the room needed, terminator included.
        full.resize(length);
    }
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
