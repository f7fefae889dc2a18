#pragma once

// Windows marks files that come from the internet with a Zone.Identifier stream;
// SmartScreen and Office's Protected View rely on it. What Quillet writes from a
// marked archive carries the archive's mark, so that unpacking does not wash it off.

#include <string>

// The archive's Zone.Identifier content; empty when it has none or it cannot be
// read. Only the first 64 KB are taken: a real mark is a few lines.
std::string ReadZoneIdentifier(const std::wstring& archivePath);

// Gives the file at `path` (normalized, any length) `mark` as its Zone.Identifier,
// keeping its times and attributes. No file is ever created: without one at
// `path`, or when the mark cannot be written, false, and nothing is changed.
bool WriteZoneIdentifier(const std::wstring& path, const std::string& mark);
