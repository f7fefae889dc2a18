// The program's only top-level window: the toolbar, the archive list and the status
// bar. It holds the catalogue of the archive shown and routes every message.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "app/AppSettings.h"
#include "catalogue/ArchiveCatalogue.h"
#include "catalogue/CellText.h"
#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "framework/MessageLoop.h"
#include "framework/Window.h"
#include "widgets/ThemedButton.h"

class CMainFrame : public CWindowImpl, public CMessageFilter {
public:
    // The suffix keeps the name apart from any other program's class of the same
    // words; tools and the installer find a running Quillet by it.
    static constexpr const wchar_t* kClassName = L"Quillet.MainWindow.ID5224875";

    explicit CMainFrame(AppSettings& settings);
    ~CMainFrame() override;

    // Creates the hidden main window at the stored position with the stored client size.
    HWND CreateMainWindow();

    // Opens an archive and shows its top level: 1 when it was opened (also when
    // reading stopped early on an error), -1 when the library refused it or the
    // user cancelled. The archive is read on a worker thread while the window,
    // disabled, goes on answering. A relative path is taken from the current
    // folder, once, here.
    int OpenArchive(const std::wstring& path);

    // Run's part of a session's end: it stores the settings, as a normal close would,
    // when Windows ends the session (the process is then ended without WM_DESTROY).
    void SetSessionEndHandler(std::function<void()> handler) { sessionEndHandler = std::move(handler); }

    bool FilterMessage(MSG* message) override;
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Every row deselected, the list erased and repainted.
    void ClearSelection();
    void SelectAll();
    // The list accepts dropped files exactly while DragDrop is on.
    void ApplyDragDropSetting();
    // The double-click: leave through "..", enter a folder, or open a file.
    void ActivateRow(int row);
    void UpdateSelectionText();

    HWND ListView() const noexcept { return listView; }
    // The DPI the window is laid out for.
    UINT Dpi() const noexcept { return dpi; }
    HIMAGELIST RowImages() const noexcept { return imageList.get(); }
    HWND StatusBar() const noexcept { return statusBar; }
    AppSettings& Settings() const noexcept { return settings; }
    ArchiveCatalogue& Catalogue() noexcept { return catalogue; }
    const ArchiveCatalogue& Catalogue() const noexcept { return catalogue; }

    int StatusBarId() const noexcept { return statusBarId; }
    int OpenButtonId() const noexcept { return openButtonId; }
    int UnpackButtonId() const noexcept { return unpackButtonId; }
    int SettingsButtonId() const noexcept { return settingsButtonId; }
    int AboutButtonId() const noexcept { return aboutButtonId; }
    int ListId() const noexcept { return listId; }
    // The toolbar button of that control identifier; null for any other.
    const CThemedButton* ButtonWithId(int id) const noexcept;

protected:
    WndClassInfo GetWndClassInfo() const override;
    // Child messages that no row handles go back to the control that sent them.
    LRESULT DefaultProcessing(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    struct ToolbarButton;
    static const ToolbarButton kToolbar[4];

    LRESULT OnCreate();
    void OnDestroy();
    void OnSize(LPARAM lParam);
    void LayOut(int width, int height);
    void OnGetMinMaxInfo(MINMAXINFO* info) const;
    void OnDpiChanged(UINT newDpi, const RECT* suggested);
    void OnEndSession();
    bool OnCommand(WPARAM wParam);
    bool OnListNotify(NMHDR* header, LRESULT& result);
    bool OnListKey(WORD key);
    void RememberFocus();
    void RestoreFocus();
    void MoveFocus(bool backwards);
    // Geometry and column widths into the settings record, sizes at 96 DPI.
    void StoreWindowState();

    void CreateToolbar();
    void PlaceToolbar();
    void CreateList();
    void CreateStatusBar();
    void FitClientSize();
    void LoadWindowIcons();
    void LoadRowImages();
    void ApplyFonts();

    void OpenCommand();
    void SettingsCommand();
    void AboutCommand();
    void UnpackCommand();
    void OpenDroppedFile(HDROP drop);
    void BeginDrag();
    void OpenEntry(const ArchiveEntry& entry);
    void OpenFocusedRow();
    void GoToParentFolder();

    void EnterFolder(ArchiveEntry* folder);
    void LeaveFolder();
    void ShowCurrentFolder();
    void SetListItemCount(int count);

    AppSettings& settings;
    // At 96 DPI, as stored.
    int initialWidth;
    int initialHeight;
    UINT dpi = kBaseDpi;

    UniqueImageList imageList;
    UniqueIcon bigIcon;
    UniqueIcon smallIcon;
    UniqueAccelerators accelerators;
    // The list's and status bar's fonts at a DPI other than the system's, for
    // which the controls' own fonts are made.
    UniqueFont listFont;
    UniqueFont statusFont;
    // The child that had the focus when the window was last deactivated.
    HWND lastFocus = nullptr;
    std::function<void()> sessionEndHandler;

    int statusBarId = 0;
    int openButtonId = 0;
    int unpackButtonId = 0;
    int settingsButtonId = 0;
    int aboutButtonId = 0;
    int listId = 0;

    CThemedButton openButton;
    CThemedButton unpackButton;
    CThemedButton settingsButton;
    CThemedButton aboutButton;
    HWND listView = nullptr;
    HWND statusBar = nullptr;

    ArchiveCatalogue catalogue;
    // Every cell's text is produced into this one buffer on request.
    wchar_t cellText[kCellTextCapacity] = {};
};
