#pragma once

#include <windows.h>

#include <string>

// The full path of a loaded module's file, however long; empty on failure.
std::wstring ModuleFilePath(HMODULE module);

// The "ProductVersion" string of the file's version resource in the table for
// language 0x0009, code page 0x04B0; empty when the file has no such value.
std::wstring ProductVersionOf(const std::wstring& path);
