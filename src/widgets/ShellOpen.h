#pragma once

#include <windows.h>

// Every ShellExecuteW of the program goes through here, so that tests can see
// the exact call without starting a browser or another program.
using ShellOpener = HINSTANCE (*)(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* params,
                                  const wchar_t* directory, int show);

// Calls the current opener: ShellExecuteW unless a test replaced it.
HINSTANCE ShellExecuteSeam(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* params,
                           const wchar_t* directory, int show);

// Installs `opener` (null restores ShellExecuteW) and returns the one it replaces.
// User-interface thread only.
ShellOpener SetShellOpener(ShellOpener opener) noexcept;
