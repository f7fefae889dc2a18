#pragma once

#include <windows.h>

// The string that tells the user about a RAR result code (or the program's own
// HEADER_BROKEN and COMMENT_BROKEN); 0 for codes that show nothing (success, the
// normal end, a refused password, unknown codes).
UINT ArchiveErrorStringId(int code) noexcept;

// Shows the code's message in a modal error box owned by `owner` and returns when
// the user has closed it; returns at once for codes without a message.
void ShowArchiveError(int code, HWND owner);
