#include "widgets/ShellOpen.h"

#include <shellapi.h>

namespace {

HINSTANCE OpenWithShell(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* params,
                        const wchar_t* directory, int show)
{
    return ::ShellExecuteW(owner, verb, file, params, directory, show);
}

ShellOpener currentOpener = &OpenWithShell;

}  // namespace

HINSTANCE ShellExecuteSeam(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* params,
                           const wchar_t* directory, int show)
{
    return currentOpener(owner, verb, file, params, directory, show);
}

ShellOpener SetShellOpener(ShellOpener opener) noexcept
{
    ShellOpener previous = currentOpener;
    currentOpener = opener ? opener : &OpenWithShell;
    return previous;
}
