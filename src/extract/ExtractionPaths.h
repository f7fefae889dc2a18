#pragma once

// Paths of any length for the extraction: the destination folder and the targets
// below it. Nothing here has a fixed-size buffer; paths past MAX_PATH go to the
// platform in their "\\?\" form.

#include <string>

// The RAR library builds each target in a buffer of 2048 units and may put
// "\\?\UNC\" in front of it: destination + "\" + name must stay within this.
constexpr size_t kLibraryPathLimit = 2048 - 1 - 8;

// "X:\..." or "\\server\share\..." (also "\\?\..."); relative and drive-relative
// paths ("docs", "\docs", "C:docs") are not.
bool IsAbsolutePath(const std::wstring& path);

// The absolute path with "." and ".." resolved, "/" turned into "\" and no
// trailing separator (but a root keeps its own); empty when `path` is not
// absolute or cannot be resolved.
std::wstring NormalizedFolderPath(const std::wstring& path);

// The form to hand to file APIs: unchanged while short, "\\?\" or "\\?\UNC\"
// in front once it reaches MAX_PATH. `path` must be normalized.
std::wstring PlatformPath(const std::wstring& path);

// `folder` and `name` joined with one "\" (PathAppendW's rule, without its limit).
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

bool PathExists(const std::wstring& path);

// Creates the normalized folder `path` with every missing parent; true when it
// exists as a folder afterwards.
bool CreateFolderWithParents(const std::wstring& path);

// Whether the library can write `name` below `destination` without cutting it.
bool FitsLibrary(const std::wstring& destination, const std::wstring& name);

// Removes the normalized folder `path` with everything in it. Links inside are
// removed themselves, never followed. What cannot be removed stays.
void RemoveFolderTree(const std::wstring& path);
