#pragma once

// Typing a name in the list: the owner-data list asks which row to select, as
// LVN_ODFINDITEM, since it holds no text of its own.

#include <windows.h>
#include <commctrl.h>

#include <string>

class ArchiveCatalogue;

// The first row from `start` on (going round to the top when `wrap` is set) whose
// name in the "File name" column begins with `text` (`prefix`) or is `text`, letter
// case folded; -1 when none is.
int FindRow(const ArchiveCatalogue& catalogue, const std::wstring& text, int start, bool prefix, bool wrap);

// The answer to the list's LVN_ODFINDITEM: a search by text, whole or as a prefix
// (LVFI_STRING, LVFI_PARTIAL), from `start`; -1 for any other kind of search.
int FindRowForList(const ArchiveCatalogue& catalogue, const LVFINDINFOW& find, int start);
