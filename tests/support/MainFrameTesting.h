#pragma once

// A shown main window for tests, with the list read back as the user sees it.

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "extract/ExtractionJob.h"
#include "ui/MainFrame.h"

// The job as the Unpack dialog would build it for a catalogue and list.
ExtractionJob MakeJob(const ArchiveCatalogue& catalogue, HWND list, const std::wstring& destination,
                      ExtractMode mode = ExtractAll, UpdateMode update = UpdateReplace);

class ShownMainFrame {
public:
    explicit ShownMainFrame(const AppSettings& initial = AppSettings());
    ~ShownMainFrame();

    CMainFrame& Frame() { return *frame; }
    HWND Window() const { return frame->handle; }
    HWND List() const { return frame->ListView(); }
    AppSettings& Settings() { return settings; }

    int RowCount() const;
    std::wstring CellText(int row, int column) const;
    std::vector<std::wstring> RowNames() const;
    int RowNamed(const std::wstring& name) const;
    std::wstring StatusText() const;
    std::wstring Title() const;
    int SelectedCount() const;
    void Select(int row, bool selected = true);
    // A real double-click on the row, through the list view's own handling.
    void DoubleClick(int row);
    // The job the Unpack dialog builds on the archive shown, into `destination`.
    ExtractionJob JobInto(const std::wstring& destination, ExtractMode mode = ExtractAll,
                          UpdateMode update = UpdateReplace) const;
    // The client rectangle of a child in the frame's client coordinates.
    RECT ChildRect(HWND child) const;

private:
    AppSettings settings;
    std::unique_ptr<CMainFrame> frame;
};
