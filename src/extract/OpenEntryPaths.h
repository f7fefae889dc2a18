#pragma once

// Where entries are written to be opened or dragged out, and the checks that keep
// everything handed to the shell inside that folder. Paths of any length.

#include <string>

struct ArchiveEntry;

// The archive's file name without its extension, then "-quillet".
std::wstring TemporaryFolderName(const std::wstring& archivePath);

// The user's temporary folder (GetTempPathW), normalized; empty when it cannot be read.
std::wstring UserTemporaryFolder();

// The user's temporary folder with TemporaryFolderName below it, normalized; empty
// when the temporary folder cannot be read.
std::wstring TemporaryFolderFor(const std::wstring& archivePath);

// A folder of its own beside TemporaryFolderFor(archivePath), made now and so
// holding nothing of anyone else's ("...\photos-quillet-drag-1F2E3D4C"); empty
// when none could be made.
std::wstring CreateFreshTemporaryFolder(const std::wstring& archivePath);

// Whether `name`, written below a folder, is one file or folder inside it that
// the shell finds under exactly that name: nothing the extraction refuses as
// unsafe (":", a leading separator, "..", control characters), no device name
// (CON, NUL, COM1...), and a last component that is not empty and does not end
// in a dot or a blank (Windows would drop those).
bool IsOpenableEntryName(const std::wstring& name);

// An openable name and no link.
bool IsOpenableEntry(const ArchiveEntry& entry);

// The same for the entry and, for a folder, everything below it.
bool IsOpenableTree(const ArchiveEntry& entry);

// The normalized path of `name` below `folder` when it lies inside `folder`;
// empty otherwise.
std::wstring ConfinedTarget(const std::wstring& folder, const std::wstring& name);

enum class WrittenKind { File, Folder };

// Whether `path` is there as the kind asked for, is no link itself (nor, for a
// file, one of several hard links), and lies inside `folder` with every link on
// the way followed.
bool IsWrittenInside(const std::wstring& folder, const std::wstring& path, WrittenKind kind);
