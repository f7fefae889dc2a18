#include "widgets/VersionInfo.h"

#include <cstdint>
#include <cstring>
#include <cwchar>

namespace {

// Language 0x0009 (English, no sublanguage), code page 0x04B0 (UTF-16).
constexpr wchar_t kStringTable[] = L"000904B0";
constexpr WORD kTextValue = 1;

// One node of a VS_VERSIONINFO block: its length, value length and type, its key,
// then its value and its children, each at a 32-bit boundary.
struct VersionNode {
    const BYTE* end = nullptr;
    const wchar_t* key = nullptr;
    const BYTE* value = nullptr;
    size_t valueBytes = 0;
    bool text = false;
    const BYTE* children = nullptr;
};

const BYTE* Aligned(const BYTE* at)
{
    const auto address = reinterpret_cast<std::uintptr_t>(at);
    return at + ((4 - address % 4) % 4);
}

WORD WordAt(const BYTE* at)
{
    WORD value = 0;
    std::memcpy(&value, at, sizeof(value));
    return value;
}

// The node at `at`, which must lie wholly before `limit`.
bool ReadNode(const BYTE* at, const BYTE* limit, VersionNode& node)
{
    constexpr size_t kHeader = 3 * sizeof(WORD);
    if (at >= limit || static_cast<size_t>(limit - at) < kHeader)
        return false;
    const WORD length = WordAt(at);
    const WORD valueLength = WordAt(at + 2);
    if (length < kHeader || length > static_cast<size_t>(limit - at))
        return false;
    node.end = at + length;
    node.text = WordAt(at + 4) == kTextValue;
    node.key = reinterpret_cast<const wchar_t*>(at + kHeader);
    const BYTE* keyEnd = at + kHeader;
    for (;;) {
        if (node.end - keyEnd < 2)
            return false;
        const WORD unit = WordAt(keyEnd);
        keyEnd += 2;
        if (unit == 0)
            break;
    }
    node.value = Aligned(keyEnd);
    node.valueBytes = node.text ? valueLength * sizeof(wchar_t) : valueLength;
    if (node.value > node.end || node.valueBytes > static_cast<size_t>(node.end - node.value))
        return false;
    node.children = Aligned(node.value + node.valueBytes);
    return true;
}

bool FindChild(const VersionNode& parent, const wchar_t* key, VersionNode& child)
{
    for (const BYTE* at = parent.children; at < parent.end; at = Aligned(child.end)) {
        if (!ReadNode(at, parent.end, child))
            return false;
        if (::_wcsicmp(child.key, key) == 0)
            return true;
    }
    return false;
}

}  // namespace

std::wstring ProductVersionOf(HMODULE module)
{
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const auto* block = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    if (!block)
        return {};
    VersionNode root;
    VersionNode strings;
    VersionNode table;
    VersionNode version;
    if (!ReadNode(block, block + ::SizeofResource(module, found), root) ||
        !FindChild(root, L"StringFileInfo", strings) || !FindChild(strings, kStringTable, table) ||
        !FindChild(table, L"ProductVersion", version) || !version.text)
        return {};
    // The length counts characters and usually the terminating null too.
    const auto* text = reinterpret_cast<const wchar_t*>(version.value);
    return std::wstring(text, ::wcsnlen(text, version.valueBytes / sizeof(wchar_t)));
}
