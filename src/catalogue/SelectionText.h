#pragma once

#include <string>

class ArchiveCatalogue;

// The status bar's selection count: the ".." row does not count as an item.
// `selectedRows` is the list's count, `parentRowSelected` whether row 0 is selected.
std::wstring SelectionText(const ArchiveCatalogue& catalogue, int selectedRows, bool parentRowSelected);
