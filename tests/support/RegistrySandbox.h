#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Maps HKEY_CURRENT_USER of this process onto a private key for the
// lifetime of the object, so tests use the real registry without touching the
// prefix's settings (or each other's).
class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    static bool KeyExists(const wchar_t* path);
    static void CreateKey(const wchar_t* path);
    static void SetDword(const wchar_t* path, const wchar_t* name, uint32_t value);
    static void SetRaw(const wchar_t* path, const wchar_t* name, DWORD type, const void* data, DWORD size);
    static void DeleteValue(const wchar_t* path, const wchar_t* name);
    // False when the value is missing or not a REG_DWORD.
    static bool ReadDword(const wchar_t* path, const wchar_t* name, uint32_t& value);

private:
    std::wstring root;
    HKEY rootKey = nullptr;
};

// The program's settings key and subkeys, relative to HKEY_CURRENT_USER.
constexpr const wchar_t* kSettingsKey = L"SOFTWARE\\Tarnfield\\Quillet\\Settings";
constexpr const wchar_t* kWindowKey = L"SOFTWARE\\Tarnfield\\Quillet\\Settings\\Window";
constexpr const wchar_t* kListKey = L"SOFTWARE\\Tarnfield\\Quillet\\Settings\\List";
