#pragma once

// Path text rules shared by every layer: what separates components, and the full
// form of a path as the system resolves it. No length limit anywhere.

#include <string>

inline bool IsSeparator(wchar_t c) noexcept
{
    return c == L'\\' || c == L'/';
}

// The absolute form of `path` (the current folder and drive applied, "." and
// ".." resolved, "/" turned into "\"); `path` itself when the system cannot
// resolve it (an empty path, for one).
std::wstring FullPathName(const std::wstring& path);
