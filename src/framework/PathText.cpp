#include "framework/PathText.h"

#include <windows.h>

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
