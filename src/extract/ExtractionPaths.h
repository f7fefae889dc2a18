#pragma once

// Paths of any length for the extraction on disk: the destination folder and the
// targets below it. Nothing here has a fixed-size buffer; paths past MAX_PATH go
// to the platform in their "\\?\" form. The path text itself is framework/PathText.

#include "framework/PathText.h"

#include <string>

// The RAR library builds each target in a buffer of this many units, terminator
// included...
constexpr size_t kLibraryTargetRoom = 2048;
// ...and may put "\\?\UNC\" in front of it: destination + "\" + name must stay
// within this.
constexpr size_t kLibraryPathLimit = kLibraryTargetRoom - 1 - 8;

bool PathExists(const std::wstring& path);

// Creates the normalized folder `path` with every missing parent; true when it
// exists as a folder afterwards.
bool CreateFolderWithParents(const std::wstring& path);

// Whether the library can write `name` below `destination` without cutting it.
bool FitsLibrary(const std::wstring& destination, const std::wstring& name);

// Removes the normalized folder `path` with everything in it. Links inside are
// removed themselves, never followed. What cannot be removed stays.
void RemoveFolderTree(const std::wstring& path);
