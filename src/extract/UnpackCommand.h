#pragma once

#include <windows.h>

class ArchiveCatalogue;

// The main window's Unpack command: "File is not opened" when no archive is
// open, else the Unpack dialog for the catalogue's archive, owned by
// `mainWindow`. `listView` is the main window's list, read for the selection.
void RunUnpackCommand(HWND mainWindow, HWND listView, const ArchiveCatalogue& catalogue);
