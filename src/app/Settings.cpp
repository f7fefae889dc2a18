#include "app/Settings.h"

#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "framework/Handles.h"

namespace {

constexpr REGSAM kAccess = KEY_READ | KEY_WRITE;  // 0x2001F
constexpr size_t kPathRoom = 1000;

// Key and value names are plain ASCII, widened in the thread's code page.
std::wstring Widen(const char* ascii)
{
    int length = MultiByteToWideChar(CP_THREAD_ACP, 0, ascii, -1, nullptr, 0);
    if (length <= 1)
        return {};
    std::wstring wide(static_cast<size_t>(length - 1), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, ascii, -1, &wide[0], length);
    return wide;
}

std::wstring AppendComponent(const std::wstring& path, const char* component)
{
    wchar_t buffer[kPathRoom] = {};
    StrCpyNW(buffer, path.c_str(), static_cast<int>(kPathRoom));
    PathAppendW(buffer, Widen(component).c_str());
    return buffer;
}

std::wstring SettingsKeyPath()
{
    std::wstring path = Widen("SOFTWARE");
    for (const char* component : {"Tarnfield", "Quillet", "Settings"})
        path = AppendComponent(path, component);
    return path;
}

UniqueRegKey CreateKey(const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kAccess, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return UniqueRegKey();
    return UniqueRegKey(key);
}

// A 4-byte value of another type is taken as it stands: its bytes are already in the field.
LONG ReadValue(HKEY key, const char* name, int32_t& field)
{
    DWORD type = 0;
    DWORD size = sizeof(field);
    LONG result = RegQueryValueExW(key, Widen(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&field), &size);
    if (result == ERROR_SUCCESS && type != REG_DWORD)
        return ERROR_INVALID_DATA;
    return result;
}

void WriteValue(HKEY key, const char* name, int32_t field)
{
    DWORD value = static_cast<DWORD>(field);
    RegSetValueExW(key, Widen(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

struct ValueBinding {
    const char* name;
    int32_t AppSettings::*field;
};

const ValueBinding kSettingsValues[] = {
    {"OpenFile", &AppSettings::OpenFile},
    {"DragDrop", &AppSettings::DragDrop},
};
const ValueBinding kWindowValues[] = {
    {"X", &AppSettings::X},
    {"Y", &AppSettings::Y},
    {"Width", &AppSettings::Width},
    {"Height", &AppSettings::Height},
};
const ValueBinding kListValues[] = {
    {"Column1", &AppSettings::Column1}, {"Column2", &AppSettings::Column2}, {"Column3", &AppSettings::Column3},
    {"Column4", &AppSettings::Column4}, {"Column5", &AppSettings::Column5},
};

struct KeyBinding {
    const char* subkey;  // nullptr: the settings key itself
    const ValueBinding* first;
    size_t count;
};

template <size_t N> constexpr KeyBinding Bind(const char* subkey, const ValueBinding (&values)[N])
{
    return KeyBinding{subkey, values, N};
}

const KeyBinding kSubkeys[] = {Bind("Window", kWindowValues), Bind("List", kListValues)};

}  // namespace

void LoadSettings(AppSettings& settings)
{
    const std::wstring path = SettingsKeyPath();
    HKEY rawKey = nullptr;
    // Open only: a first run must not leave an empty settings key behind.
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, kAccess, &rawKey) != ERROR_SUCCESS)
        return;
    UniqueRegKey settingsKey(rawKey);

    for (const ValueBinding& value : kSettingsValues)
        ReadValue(settingsKey.get(), value.name, settings.*value.field);

    for (const KeyBinding& binding : kSubkeys) {
        UniqueRegKey subkey = CreateKey(AppendComponent(path, binding.subkey));
        if (!subkey)
            continue;
        for (size_t i = 0; i < binding.count; ++i)
            ReadValue(subkey.get(), binding.first[i].name, settings.*binding.first[i].field);
    }
}

void SaveSettings(const AppSettings& settings)
{
    const std::wstring path = SettingsKeyPath();
    UniqueRegKey settingsKey = CreateKey(path);
    if (!settingsKey)
        return;

    for (const ValueBinding& value : kSettingsValues)
        WriteValue(settingsKey.get(), value.name, settings.*value.field);

    for (const KeyBinding& binding : kSubkeys) {
        UniqueRegKey subkey = CreateKey(AppendComponent(path, binding.subkey));
        if (!subkey)
            continue;
        for (size_t i = 0; i < binding.count; ++i)
            WriteValue(subkey.get(), binding.first[i].name, settings.*binding.first[i].field);
    }
}
