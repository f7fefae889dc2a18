#pragma once

// Files and folder trees on disk as the tests read and write them, at paths of
// any length.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A file or folder found below a folder: its bytes and last write time.
struct TreeItem {
    bool isFolder = false;
    std::string contents;
    std::uint64_t writeTime = 0;  // FILETIME units
};
// Keyed by the path below the root, "\" between components, as found on disk.
using Tree = std::map<std::wstring, TreeItem>;
Tree ReadTree(const std::wstring& root);
// Every path, folders ending in "\", with each file's bytes: a tree to compare whole.
using DiskTree = std::map<std::wstring, std::string>;
DiskTree ReadDiskTree(const std::wstring& root);
// Only the paths of a tree, folders ending in "\".
std::vector<std::wstring> TreePaths(const Tree& tree);

void RemoveTree(const std::wstring& root);

// The bytes of a file at a path of any length ("<unreadable>" when it cannot be read).
std::string ReadWholeFileAt(const std::wstring& path);

// Writes `contents` to `path` (any length), creating its folders.
void WriteFileAt(const std::wstring& path, const std::string& contents);
