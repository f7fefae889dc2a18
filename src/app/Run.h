// The program's one run: settings, main window, message loop, saving.
#pragma once

// Returns the exit code: the message loop's quit code (1 after a normal close), or 0
// when the main window cannot be created (the settings are then not saved).
int Run(const wchar_t* commandLine, int showCommand);
