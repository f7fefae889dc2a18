#pragma once

// "The same name" as the file system sees it: letter case folded one UTF-16 unit
// at a time by the invariant upper-case mapping, the way NTFS compares names. The
// folder tree, a job's choice of entries and the path checks all fold here, so
// that they agree, also for letters beyond basic Latin. Lengths never change: a
// folded prefix is the prefix of the folded text.

#include <cstddef>
#include <string>

void FoldCase(wchar_t* text, size_t length) noexcept;
void FoldCase(std::wstring& text) noexcept;

std::wstring FoldedCase(std::wstring text);

// Whether `text` begins with `prefix`, letter case folded.
bool StartsWithFolded(const std::wstring& text, const std::wstring& prefix);
