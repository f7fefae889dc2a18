// Stands in for ShellExecuteW while it lives and records every call.
#pragma once

#include "widgets/ShellOpen.h"

#include <string>
#include <vector>

class RecordingShellOpener {
public:
    struct Call {
        HWND owner;
        std::wstring verb;
        std::wstring file;
        bool hasParams;
        bool hasDirectory;
        int show;
    };

    RecordingShellOpener() : previous(SetShellOpener(&Record)) { active = this; }
    ~RecordingShellOpener()
    {
        SetShellOpener(previous);
        active = nullptr;
    }
    RecordingShellOpener(const RecordingShellOpener&) = delete;
    RecordingShellOpener& operator=(const RecordingShellOpener&) = delete;

    const std::vector<Call>& Calls() const { return calls; }

private:
    static HINSTANCE Record(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* params,
                            const wchar_t* directory, int show)
    {
        active->calls.push_back({owner, verb ? verb : L"", file ? file : L"", params != nullptr,
                                 directory != nullptr, show});
        // What ShellExecuteW answers on success: a value above 32.
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
    }

    static inline RecordingShellOpener* active = nullptr;
    ShellOpener previous;
    std::vector<Call> calls;
};
