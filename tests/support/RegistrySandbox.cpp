#include "RegistrySandbox.h"

#include <gtest/gtest.h>

#include <string>

RegistrySandbox::RegistrySandbox()
{
    root = L"Software\\QuilletTests\\" + std::to_wstring(GetCurrentProcessId());
    RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str());
    LONG result =
        RegCreateKeyExW(HKEY_CURRENT_USER, root.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &rootKey, nullptr);
    EXPECT_EQ(ERROR_SUCCESS, result);
    EXPECT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, rootKey));
}

RegistrySandbox::~RegistrySandbox()
{
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(rootKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str());
}

bool RegistrySandbox::KeyExists(const wchar_t* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void RegistrySandbox::CreateKey(const wchar_t* path)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
}

void RegistrySandbox::SetRaw(const wchar_t* path, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, path, name, type, data, size));
}

void RegistrySandbox::SetDword(const wchar_t* path, const wchar_t* name, uint32_t value)
{
    SetRaw(path, name, REG_DWORD, &value, sizeof(value));
}

void RegistrySandbox::DeleteValue(const wchar_t* path, const wchar_t* name)
{
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyValueW(HKEY_CURRENT_USER, path, name));
}

bool RegistrySandbox::ReadDword(const wchar_t* path, const wchar_t* name, uint32_t& value)
{
    DWORD size = sizeof(value);
    return RegGetValueW(HKEY_CURRENT_USER, path, name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS;
}
