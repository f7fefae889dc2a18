// The program's only top-level window.
#pragma once

#include <windows.h>

#include <string>

#include "app/Settings.h"
#include "framework/MessageLoop.h"
#include "framework/Window.h"

class CMainFrame : public CWindowImpl, public CMessageFilter {
public:
    explicit CMainFrame(AppSettings& settings);
    ~CMainFrame() override;

    // Creates the hidden main window at the stored position with the stored client size.
    HWND CreateMainWindow();

    // Opens an archive and shows its top level: 1 when it was opened, -1 when refused.
    int OpenArchive(const std::wstring& path);

    bool FilterMessage(MSG* message) override;
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

    static constexpr const wchar_t* kClassName = L"Quillet.MainWindow.ID5224875";

protected:
    WndClassInfo GetWndClassInfo() const override;

private:
    LRESULT OnCreate();
    void OnDestroy();
    void OnGetMinMaxInfo(MINMAXINFO* info) const;

    AppSettings& settings;
    int initialWidth;
    int initialHeight;
};
