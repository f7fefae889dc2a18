// Records which entry names the progress dialogs of the thread show, each with
// the action shown beside it ("Extracting file", "Skipping file"), while it lives.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class ProgressEntryLog {
public:
    struct Shown {
        std::wstring action;
        std::wstring name;
    };

    ProgressEntryLog();
    ~ProgressEntryLog();
    ProgressEntryLog(const ProgressEntryLog&) = delete;
    ProgressEntryLog& operator=(const ProgressEntryLog&) = delete;

    const std::vector<Shown>& Entries() const { return entries; }
    std::vector<std::wstring> NamesShownAs(const std::wstring& action) const;

private:
    static LRESULT CALLBACK BeforeCall(int code, WPARAM wParam, LPARAM lParam);
    void Record(const CWPSTRUCT& call);

    HHOOK hook = nullptr;
    std::wstring action;
    std::vector<Shown> entries;
};
