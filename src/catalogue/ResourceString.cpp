#include "catalogue/ResourceString.h"

#include "framework/AppModule.h"

#include <cwchar>

std::wstring LoadResourceString(UINT id)
{
    // With no buffer LoadStringW hands out the resource's own text, which is not
    // terminated: the returned length bounds it.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(Module().GetInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text)
        return {};
    return std::wstring(text, static_cast<size_t>(length));
}

std::wstring FormatResourceCount(UINT id, int count)
{
    const std::wstring format = LoadResourceString(id);
    std::wstring text(format.size() + 16, L'\0');
    const int length = std::swprintf(&text[0], text.size(), format.c_str(), count);
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}
