#include "MainFrameTesting.h"

#include <gtest/gtest.h>

#include "DialogDriver.h"

ShownMainFrame::ShownMainFrame(const AppSettings& initial) : settings(initial)
{
    frame = std::make_unique<CMainFrame>(settings);
    EXPECT_NE(nullptr, frame->CreateMainWindow());
    frame->ShowWindow(SW_SHOWNORMAL);
    frame->UpdateWindow();
    PumpMessagesFor(20);
}

ShownMainFrame::~ShownMainFrame()
{
    frame.reset();
    // The frame posts its quit code when its window goes; keep it from the next test.
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

int ShownMainFrame::RowCount() const
{
    return static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
}

std::wstring ShownMainFrame::CellText(int row, int column) const
{
    wchar_t text[1024] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 1024;
    SendMessageW(List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::wstring> ShownMainFrame::RowNames() const
{
    std::vector<std::wstring> names;
    for (int row = 0; row < RowCount(); ++row)
        names.push_back(CellText(row, 0));
    return names;
}

int ShownMainFrame::RowNamed(const std::wstring& name) const
{
    for (int row = 0; row < RowCount(); ++row) {
        if (CellText(row, 0) == name)
            return row;
    }
    return -1;
}

std::wstring ShownMainFrame::StatusText() const
{
    wchar_t text[256] = {};
    SendMessageW(frame->StatusBar(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring ShownMainFrame::Title() const
{
    return frame->GetWindowTextW();
}

int ShownMainFrame::SelectedCount() const
{
    return static_cast<int>(SendMessageW(List(), LVM_GETSELECTEDCOUNT, 0, 0));
}

void ShownMainFrame::Select(int row, bool selected)
{
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageW(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void ShownMainFrame::DoubleClick(int row)
{
    RECT rect = {};
    rect.left = LVIR_LABEL;
    if (row >= 0) {
        ASSERT_TRUE(SendMessageW(List(), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect)));
    } else {
        // Below the last row.
        RECT client = {};
        GetClientRect(List(), &client);
        rect = {client.left + 5, client.bottom - 10, client.left + 15, client.bottom - 5};
    }
    const LPARAM at = MAKELPARAM(rect.left + 5, (rect.top + rect.bottom) / 2);
    SendMessageW(List(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(List(), WM_LBUTTONUP, 0, at);
    SendMessageW(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(List(), WM_LBUTTONUP, 0, at);
    PumpMessagesFor(20);
}

RECT ShownMainFrame::ChildRect(HWND child) const
{
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

ExtractionJob MakeJob(const ArchiveCatalogue& catalogue, HWND list, const std::wstring& destination, ExtractMode mode,
                      UpdateMode update)
{
    return JobOver(catalogue, list, destination, mode, update, catalogue.totalSize);
}

ExtractionJob ShownMainFrame::JobInto(const std::wstring& destination, ExtractMode mode, UpdateMode update) const
{
    return MakeJob(frame->Catalogue(), List(), destination, mode, update);
}
