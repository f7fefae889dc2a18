// MinGW ships comutil.h's _bstr_t but not the two conversions it calls; the
// library's isnt.cpp needs them to link.
#include <windows.h>
#include <oleauto.h>
#include <comutil.h>

namespace _com_util {

BSTR WINAPI ConvertStringToBSTR(const char* text)
{
    if (text == nullptr)
        return nullptr;
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0)
        return nullptr;
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(length - 1));
    if (result != nullptr)
        MultiByteToWideChar(CP_ACP, 0, text, -1, result, length);
    return result;
}

char* WINAPI ConvertBSTRToString(BSTR text)
{
    if (text == nullptr)
        return nullptr;
    int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return nullptr;
    char* result = new char[length];
    WideCharToMultiByte(CP_ACP, 0, text, -1, result, length, nullptr, nullptr);
    return result;
}

} // namespace _com_util
