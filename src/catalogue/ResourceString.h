#pragma once

#include <windows.h>

#include <string>

// A string of the program's string table; empty when there is none with that id.
std::wstring LoadResourceString(UINT id);

// The string `id` with `count` in place of its "%d".
std::wstring FormatResourceCount(UINT id, int count);
