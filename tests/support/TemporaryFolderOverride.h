// Points the process's temporary folder (what GetTempPathW reads: TMP, then TEMP)
// at a folder of the test while it lives, so that nothing piles up in the prefix.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class TemporaryFolderOverride {
public:
    explicit TemporaryFolderOverride(const std::wstring& folder) : tmp(Read(L"TMP")), temp(Read(L"TEMP"))
    {
        ::CreateDirectoryW(folder.c_str(), nullptr);
        ::SetEnvironmentVariableW(L"TMP", folder.c_str());
        ::SetEnvironmentVariableW(L"TEMP", folder.c_str());
    }
    ~TemporaryFolderOverride()
    {
        Restore(L"TMP", tmp);
        Restore(L"TEMP", temp);
    }
    TemporaryFolderOverride(const TemporaryFolderOverride&) = delete;
    TemporaryFolderOverride& operator=(const TemporaryFolderOverride&) = delete;

private:
    struct Saved {
        bool present = false;
        std::wstring value;
    };

    static Saved Read(const wchar_t* name)
    {
        Saved saved;
        const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
        if (size == 0)
            return saved;
        std::vector<wchar_t> buffer(size);
        const DWORD length = ::GetEnvironmentVariableW(name, buffer.data(), size);
        saved.present = length < size;
        saved.value.assign(buffer.data(), length < size ? length : 0);
        return saved;
    }

    static void Restore(const wchar_t* name, const Saved& saved)
    {
        ::SetEnvironmentVariableW(name, saved.present ? saved.value.c_str() : nullptr);
    }

    Saved tmp;
    Saved temp;
};
