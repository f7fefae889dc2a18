#include "app/CommandLine.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "framework/Handles.h"

std::optional<std::wstring> ArchiveFromCommandLine(const wchar_t* commandLine)
{
    // CommandLineToArgvW would report the program's own path for an empty line.
    if (commandLine == nullptr || *commandLine == L'\0')
        return std::nullopt;

    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(commandLine, &count);
    if (arguments == nullptr)
        return std::nullopt;
    UniqueArgv owner(arguments);

    if (count >= 2 && StrCmpW(arguments[0], L"-o") == 0)
        return std::wstring(arguments[1]);
    return std::nullopt;
}
