#pragma once

// Each archive of a list, listed and extracted by the program in a child process
// of the test exe, under a watchdog of its own: the child writes a line when it
// starts an archive and another with its verdict when it is done; an archive
// that takes too long has its child killed (a hang), a child that ends in the
// middle of an archive has crashed. The next child goes on after that archive.

#include <windows.h>

#include <string>
#include <vector>

struct ProbeCase {
    std::wstring archive;   // Windows path; a volume set by its first volume
    std::wstring password;  // typed at every prompt; "" refuses the prompts
    std::string label;      // names the case in failures
    bool extract = true;    // false: listed only (an archive too big to extract twice per run)
};

enum class ProbeOutcome { Passed, Failed, Hung, Crashed };

struct ProbeVerdict {
    ProbeOutcome outcome = ProbeOutcome::Crashed;
    std::string detail;
};

struct ProbeRun {
    std::wstring workFolder;  // plan, results, logs; destinations below "dest" and "oracle"
    std::wstring anchor;      // an intact archive, open before every case
    DWORD perArchiveTimeoutMs = 30000;
};

// Stand-ins for an archive that makes the child hang or crash, to show that the
// watchdog sees both and goes on.
constexpr wchar_t kProbeHangs[] = L"?hang";
constexpr wchar_t kProbeCrashes[] = L"?crash";

// One verdict per case, in order.
std::vector<ProbeVerdict> RunProbes(const ProbeRun& run, const std::vector<ProbeCase>& cases);

// The child's side; true when the command line asks for it (the hidden test runs it).
bool IsProbeChild();
// Runs the cases of the plan named on the command line; returns the process's exit code.
int RunProbeChild();
