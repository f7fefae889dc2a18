#include "catalogue/ResourceString.h"

#include "framework/AppModule.h"

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
