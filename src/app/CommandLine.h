// The one command-line switch: "-o" followed by an archive path.
#pragma once

#include <optional>
#include <string>

// The archive to open at start, or nothing when the command line does not start with
// exactly "-o" and a path. Quoting follows the platform's rules (CommandLineToArgvW).
std::optional<std::wstring> ArchiveFromCommandLine(const wchar_t* commandLine);
