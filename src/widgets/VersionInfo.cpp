#include "widgets/VersionInfo.h"

#include <cwchar>
#include <vector>

namespace {

// Language 0x0009 (English, no sublanguage), code page 0x04B0 (UTF-16).
constexpr DWORD kStringTable = 0x000904B0;
// Beyond the longest path the system accepts.
constexpr DWORD kMaxPathLength = 32768;

}  // namespace

std::wstring ModuleFilePath(HMODULE module)
{
    std::vector<wchar_t> path(MAX_PATH, L'\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(path.size());
        DWORD length = ::GetModuleFileNameW(module, path.data(), size);
        if (length == 0)
            return {};
        // A full buffer means the name may have been cut.
        if (length < size)
            return std::wstring(path.data(), length);
        if (size >= kMaxPathLength)
            return {};
        path.assign(static_cast<size_t>(size) * 2, L'\0');
    }
}

std::wstring ProductVersionOf(const std::wstring& path)
{
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return {};
    std::vector<BYTE> block(size, 0);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data()))
        return {};

    wchar_t query[64] = {};
    std::swprintf(query, sizeof(query) / sizeof(query[0]), L"\\StringFileInfo\\%08X\\ProductVersion",
                  static_cast<unsigned>(kStringTable));
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), query, &value, &length) || !value || length == 0)
        return {};
    // The length counts characters and usually the terminating null too.
    const auto* text = static_cast<const wchar_t*>(value);
    return std::wstring(text, wcsnlen(text, length));
}
