#include "extract/OpenEntryPaths.h"

#include "catalogue/ArchiveEntry.h"
#include "extract/ExtractionPaths.h"
#include "extract/UnsafeName.h"
#include "framework/LetterCase.h"
#include "framework/PathText.h"
#include "framework/Handles.h"

#include <windows.h>
#include <shlwapi.h>

#include <cwchar>
#include <vector>

namespace {

wchar_t AsciiUpper(wchar_t c)
{
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool EqualsAsciiUpper(const wchar_t* first, const wchar_t* last, const wchar_t* upper)
{
    for (; first != last; ++first, ++upper) {
        if (*upper == L'\0' || AsciiUpper(*first) != *upper)
            return false;
    }
    return *upper == L'\0';
}

bool IsDeviceDigit(wchar_t c)
{
    // Windows also reserves COM and LPT with a superscript one, two or three.
    return (c >= L'0' && c <= L'9') || c == 0x00B9 || c == 0x00B2 || c == 0x00B3;
}

// A component that Windows turns into a device whatever folder it is in: the part
// before the first dot, without trailing blanks, is a reserved name.
bool IsDeviceName(const wchar_t* first, const wchar_t* last)
{
    const wchar_t* end = first;
    while (end != last && *end != L'.')
        ++end;
    while (end != first && end[-1] == L' ')
        --end;
    for (const wchar_t* reserved : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (EqualsAsciiUpper(first, end, reserved))
            return true;
    }
    if (end - first == 4 && IsDeviceDigit(end[-1]))
        return EqualsAsciiUpper(first, end - 1, L"COM") || EqualsAsciiUpper(first, end - 1, L"LPT");
    return false;
}

bool StartsInside(const std::wstring& folder, const std::wstring& path)
{
    std::wstring prefix = folder;
    if (prefix.empty())
        return false;
    if (!IsSeparator(prefix.back()))
        prefix += L'\\';
    return path.size() > prefix.size() && StartsWithFolded(path, prefix);
}

// Opened for its attributes only, the item itself and not where a link of its own
// leads; the sharing of whoever holds it open does not stand in the way.
UniqueKernelHandle OpenItself(const std::wstring& path)
{
    return UniqueKernelHandle(::CreateFileW(
        PlatformPath(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// The name the system keeps for the open item: where it really is, with every link
// on the way followed. Unlike GetFinalPathNameByHandleW in some implementations,
// NtQueryObject knows no length limit. Empty on failure.
std::wstring ObjectNameOf(HANDLE item)
{
    using QueryObject = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    constexpr int kObjectNameInformation = 1;
    struct NameInformation {
        USHORT length;  // in bytes
        USHORT capacity;
        const wchar_t* buffer;
    };
    static const auto query = reinterpret_cast<QueryObject>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
    if (!query)
        return std::wstring();
    // Room for the longest name there can be: 32767 units behind the header.
    std::vector<ULONG_PTR> room((sizeof(NameInformation) + 65536 * sizeof(wchar_t)) / sizeof(ULONG_PTR) + 1);
    const ULONG size = static_cast<ULONG>(room.size() * sizeof(ULONG_PTR));
    ULONG needed = 0;
    if (query(item, kObjectNameInformation, room.data(), size, &needed) < 0)
        return std::wstring();
    const auto* name = reinterpret_cast<const NameInformation*>(room.data());
    return name->buffer ? std::wstring(name->buffer, name->length / sizeof(wchar_t)) : std::wstring();
}

struct ItemFacts {
    DWORD attributes = 0;
    DWORD links = 0;
};

// By handle and without the name, which some implementations cannot report past MAX_PATH.
bool Describe(HANDLE item, ItemFacts& facts)
{
    FILE_BASIC_INFO basic = {};
    FILE_STANDARD_INFO standard = {};
    if (::GetFileType(item) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandleEx(item, FileBasicInfo, &basic, sizeof(basic)) ||
        !::GetFileInformationByHandleEx(item, FileStandardInfo, &standard, sizeof(standard)))
        return false;
    facts.attributes = basic.FileAttributes;
    facts.links = standard.NumberOfLinks;
    return true;
}

}  // namespace

std::wstring TemporaryFolderName(const std::wstring& archivePath)
{
    // Both only scan the string, so the path may be of any length.
    const wchar_t* const file = ::PathFindFileNameW(archivePath.c_str());
    const wchar_t* const extension = ::PathFindExtensionW(file);
    return std::wstring(file, extension) + L"-quillet";
}

std::wstring UserTemporaryFolder()
{
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD length = ::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0)
            return std::wstring();
        if (length < buffer.size())
            return NormalizedFolderPath(std::wstring(buffer.data(), length));
        buffer.resize(length + 1);
    }
}

std::wstring TemporaryFolderFor(const std::wstring& archivePath)
{
    const std::wstring temporary = UserTemporaryFolder();
    return temporary.empty() ? temporary : NormalizedFolderPath(JoinPath(temporary, TemporaryFolderName(archivePath)));
}

std::wstring CreateFreshTemporaryFolder(const std::wstring& archivePath)
{
    const std::wstring shared = TemporaryFolderFor(archivePath);
    const size_t separator = shared.rfind(L'\\');
    if (shared.empty() || separator == std::wstring::npos || !CreateFolderWithParents(shared.substr(0, separator)))
        return std::wstring();
    static LONG counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const DWORD unique = ::GetTickCount() ^ (::GetCurrentProcessId() << 16) ^
                             (static_cast<DWORD>(::InterlockedIncrement(&counter)) * 2654435761u);
        wchar_t suffix[16];
        std::swprintf(suffix, 16, L"-drag-%08lX", static_cast<unsigned long>(unique));
        const std::wstring folder = shared + suffix;
        // Made now or not at all: a folder that was there is someone else's.
        if (::CreateDirectoryW(PlatformPath(folder).c_str(), nullptr))
            return folder;
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            return std::wstring();
    }
    return std::wstring();
}

bool IsOpenableEntryName(const std::wstring& name)
{
    if (name.empty() || IsUnsafeEntryName(name))
        return false;
    const wchar_t* const begin = name.data();
    const wchar_t* const end = begin + name.size();
    const wchar_t* component = begin;
    for (const wchar_t* c = begin; c != end; ++c) {
        if (IsSeparator(*c)) {
            if (IsDeviceName(component, c))
                return false;
            component = c + 1;
        }
    }
    if (component == end || IsDeviceName(component, end))
        return false;
    return end[-1] != L'.' && end[-1] != L' ';
}

bool IsOpenableEntry(const ArchiveEntry& entry)
{
    return !entry.isLink && IsOpenableEntryName(entry.path);
}

bool IsOpenableTree(const ArchiveEntry& entry)
{
    return VisitTree({&entry}, [](const ArchiveEntry& next) { return IsOpenableEntry(next); });
}

std::wstring ConfinedTarget(const std::wstring& folder, const std::wstring& name)
{
    const std::wstring root = NormalizedFolderPath(folder);
    if (root.empty())
        return std::wstring();
    std::wstring target = NormalizedFolderPath(JoinPath(root, name));
    return StartsInside(root, target) ? target : std::wstring();
}

bool IsWrittenInside(const std::wstring& folder, const std::wstring& path, WrittenKind kind)
{
    const std::wstring root = NormalizedFolderPath(folder);
    if (root.empty() || !StartsInside(root, NormalizedFolderPath(path)))
        return false;

    const UniqueKernelHandle rootItem = OpenItself(root);
    const UniqueKernelHandle item = OpenItself(path);
    ItemFacts rootFacts;
    ItemFacts facts;
    if (!rootItem || !item || !Describe(rootItem.get(), rootFacts) || !Describe(item.get(), facts))
        return false;
    if ((rootFacts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !(rootFacts.attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    const bool isFolder = (facts.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isFolder != (kind == WrittenKind::Folder))
        return false;
    if (!isFolder && facts.links != 1)
        return false;

    const std::wstring rootName = ObjectNameOf(rootItem.get());
    return !rootName.empty() && StartsInside(rootName, ObjectNameOf(item.get()));
}
