// Stands in for ShellExecuteW while it lives and records every call.
#pragma once

#include "widgets/ShellOpen.h"

#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

class RecordingShellOpener {
public:
    struct Call {
        HWND owner;
        std::wstring verb;
        std::wstring file;
        bool hasParams;
        std::wstring params;
        bool hasDirectory;
        int show;
    };

    // What ShellExecuteW answers on success: a value above 32.
    static constexpr INT_PTR kSuccess = 42;

    RecordingShellOpener() : previous(SetShellOpener(&Record)) { active = this; }
    ~RecordingShellOpener()
    {
        SetShellOpener(previous);
        active = nullptr;
    }
    RecordingShellOpener(const RecordingShellOpener&) = delete;
    RecordingShellOpener& operator=(const RecordingShellOpener&) = delete;

    const std::vector<Call>& Calls() const { return calls; }

    // The next calls are answered with these, in order; then with kSuccess.
    void AnswerWith(std::initializer_list<INT_PTR> results) { answers.assign(results.begin(), results.end()); }

private:
    static HINSTANCE Record(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* params,
                            const wchar_t* directory, int show)
    {
        active->calls.push_back({owner, verb ? verb : L"", file ? file : L"", params != nullptr, params ? params : L"",
                                 directory != nullptr, show});
        INT_PTR result = kSuccess;
        if (!active->answers.empty()) {
            result = active->answers.front();
            active->answers.pop_front();
        }
        return reinterpret_cast<HINSTANCE>(result);
    }

    static inline RecordingShellOpener* active = nullptr;
    ShellOpener previous;
    std::vector<Call> calls;
    std::deque<INT_PTR> answers;
};
