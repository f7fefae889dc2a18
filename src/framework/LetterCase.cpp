#include "framework/LetterCase.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

void FoldCase(wchar_t* text, size_t length) noexcept
{
    // Basic Latin, where the mapping is exactly a-z, without the call.
    size_t i = 0;
    for (; i < length && text[i] < 0x80; ++i) {
        if (text[i] >= L'a' && text[i] <= L'z')
            text[i] = static_cast<wchar_t>(text[i] - (L'a' - L'A'));
    }
    // The rest through a small buffer, never splitting a surrogate pair.
    constexpr size_t kChunk = 256;
    wchar_t folded[kChunk];
    while (i < length) {
        size_t count = std::min(kChunk, length - i);
        if (count > 1 && count < length - i && text[i + count - 1] >= 0xD800 && text[i + count - 1] <= 0xDBFF)
            --count;
        const int mapped = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text + i, static_cast<int>(count),
                                           folded, static_cast<int>(kChunk), nullptr, nullptr, 0);
        if (mapped == static_cast<int>(count))
            std::wmemcpy(text + i, folded, count);
        i += count;
    }
}

void FoldCase(std::wstring& text) noexcept
{
    if (!text.empty())
        FoldCase(&text[0], text.size());
}

std::wstring FoldedCase(std::wstring text)
{
    FoldCase(text);
    return text;
}

bool StartsWithFolded(const std::wstring& text, const std::wstring& prefix)
{
    return text.size() >= prefix.size() && FoldedCase(text.substr(0, prefix.size())) == FoldedCase(prefix);
}
