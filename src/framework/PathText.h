#pragma once

// Path text rules shared by every layer: what separates components, where a
// path's root ends, how paths are joined and resolved, and the form the file APIs
// need for long paths. No length limit anywhere.

#include <string>

inline bool IsSeparator(wchar_t c) noexcept
{
    return c == L'\\' || c == L'/';
}

inline bool IsDriveLetter(wchar_t c) noexcept
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// Index just past the end of the component that starts at `from`.
size_t ComponentEnd(const std::wstring& path, size_t from);

// Length of the part that cannot be created: "C:\", "\\server\share",
// "\\?\C:\", "\\?\UNC\server\share". 0 when there is none.
size_t RootLength(const std::wstring& path);

// "X:\..." or "\\server\share\..." (also "\\?\..."); relative and drive-relative
// paths ("docs", "\docs", "C:docs") are not.
bool IsAbsolutePath(const std::wstring& path);

// The absolute form of `path` (the current folder and drive applied, "." and
// ".." resolved, "/" turned into "\"); `path` itself when the system cannot
// resolve it (an empty path, for one).
std::wstring FullPathName(const std::wstring& path);

// The absolute path with "." and ".." resolved, "/" turned into "\" and no
// trailing separator (but a root keeps its own); empty when `path` is not
// absolute or cannot be resolved.
std::wstring NormalizedFolderPath(const std::wstring& path);

// The form to hand to file APIs: unchanged while short, "\\?\" or "\\?\UNC\"
// in front once it reaches MAX_PATH. `path` must be normalized.
std::wstring PlatformPath(const std::wstring& path);

// `folder` and `name` joined with one "\" (PathAppendW's rule, without its limit).
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
