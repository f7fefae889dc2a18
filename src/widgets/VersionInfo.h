#pragma once

#include <windows.h>

#include <string>

// The "ProductVersion" string of a loaded module's own version resource, in the
// table for language 0x0009, code page 0x04B0; empty when there is no such value.
// Read from the resource itself: version.dll, which would otherwise answer, is
// no known DLL, and Windows would look for it first beside the program.
std::wstring ProductVersionOf(HMODULE module);
