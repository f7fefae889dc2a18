#pragma once

// "Opening archive": shown while a long open goes on, with the archive's name, the
// count of entries read so far (a few times a second) and Cancel. Modeless: the
// loop that waits for the open hands it its messages and reads CancelPressed.

#include "framework/Dialog.h"

#include <functional>
#include <string>

class CDlgOpening : public CDialogImpl {
public:
    CDlgOpening(std::wstring archivePath, std::function<size_t()> entriesRead);

    // Creates the window owned by `owner`, centred on it, and shows it.
    bool Show(HWND owner);
    bool CancelPressed() const noexcept { return cancelPressed; }

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool OnInitDialog(LRESULT& result);
    bool OnCommand(WPARAM wParam, LRESULT& result);
    void ShowCount();

    const std::wstring archivePath;
    const std::function<size_t()> entriesRead;
    std::wstring countFormat;
    size_t shownCount = static_cast<size_t>(-1);
    bool cancelPressed = false;
};
