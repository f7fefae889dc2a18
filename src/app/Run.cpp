#include "app/Run.h"

#include <windows.h>

#include "app/CommandLine.h"
#include "app/Settings.h"
#include "extract/DragFolders.h"
#include "framework/AppModule.h"
#include "framework/MessageLoop.h"
#include "ui/MainFrame.h"

int Run(const wchar_t* commandLine, int showCommand)
{
    AppSettings settings;
    CMessageLoop loop;
    Module().AddMessageLoop(&loop);
    LoadSettings(settings);

    CMainFrame frame(settings);
    if (frame.CreateMainWindow() == nullptr) {
        Module().RemoveMessageLoop();
        return 0;
    }
    // Windows ends the process after the session's end without the window's
    // destruction: the settings are stored then, and only then.
    bool saved = false;
    frame.SetSessionEndHandler([&settings, &saved] {
        SaveSettings(settings);
        saved = true;
    });
    frame.ShowWindow(showCommand);
    loop.AddMessageFilter(&frame);
    // Drags of earlier runs whose targets have had their time.
    RemoveLeftoverDragFolders();

    if (auto archive = ArchiveFromCommandLine(commandLine))
        frame.OpenArchive(*archive);

    const int result = loop.Run();
    loop.RemoveMessageFilter(&frame);
    Module().RemoveMessageLoop();
    if (!saved)
        SaveSettings(settings);
    return result;
}
