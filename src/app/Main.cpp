// The program's entry: process-wide start-up around one run, torn down in reverse.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <ctime>

#include "app/Run.h"
#include "framework/AppModule.h"
#include "framework/Startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand)
{
    // Before anything loads a library by name.
    SearchSystemFolderOnlyForLibraries();
    // OLE rather than COM alone: dragging entries out of the list needs it.
    const ScopedOle ole;
    // The main window draws its control identifiers from this generator.
    srand(static_cast<unsigned>(_time64(nullptr)));

    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES | ICC_USEREX_CLASSES;
    InitCommonControlsEx(&controls);

    const ScopedGdiPlus gdiPlus;
    Module().Init(instance);
    const int result = Run(commandLine, showCommand);
    Module().Term();
    return result;
}
