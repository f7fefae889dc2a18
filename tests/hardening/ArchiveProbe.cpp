#include "ArchiveProbe.h"

#include "HardeningTesting.h"

#include "catalogue/ArchiveCatalogue.h"
#include "extract/DlgProgress.h"
#include "framework/Handles.h"

#include <shellapi.h>

#include <fstream>
#include <sstream>

namespace {

constexpr wchar_t kPlanSwitch[] = L"--probe-plan=";
constexpr wchar_t kFromSwitch[] = L"--probe-from=";
constexpr wchar_t kResultsSwitch[] = L"--probe-results=";
constexpr char kAnchorKey[] = "anchor";
constexpr char kWorkKey[] = "work";

std::wstring SwitchValue(const wchar_t* name)
{
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::wstring value;
    const size_t length = std::wcslen(name);
    for (int i = 1; args && i < count; ++i) {
        if (std::wcsncmp(args[i], name, length) == 0)
            value = args[i] + length;
    }
    ::LocalFree(args);
    return value;
}

std::string OneLine(std::string text)
{
    for (char& c : text) {
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
    }
    return text;
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream stream(line);
    for (std::string field; std::getline(stream, field, '\t');)
        fields.push_back(field);
    return fields;
}

// Lines appended by the child, read as they come.
class ResultsReader {
public:
    explicit ResultsReader(const std::wstring& file) : path(file) {}

    std::vector<std::string> NewLines()
    {
        std::vector<std::string> lines;
        const UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                    OPEN_EXISTING, 0, nullptr));
        if (!file)
            return lines;
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        ::SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN);
        char buffer[16384];
        DWORD read = 0;
        while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
            pending.append(buffer, read);
            offset += read;
        }
        for (size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            lines.push_back(pending.substr(0, end));
            pending.erase(0, end + 1);
        }
        return lines;
    }

private:
    std::wstring path;
    unsigned long long offset = 0;
    std::string pending;
};

struct Child {
    UniqueKernelHandle process;
    DWORD exitCode = STILL_ACTIVE;
};

bool StartChild(const std::wstring& plan, size_t from, const std::wstring& results, const std::wstring& log,
                Child& child)
{
    wchar_t exe[MAX_PATH * 4];
    ::GetModuleFileNameW(nullptr, exe, ARRAYSIZE(exe));
    std::wstring commandLine = L"\"" + std::wstring(exe) + L"\" --gtest_filter=HardeningProbe.* " + kPlanSwitch +
                               L"\"" + plan + L"\" " + kFromSwitch + std::to_wstring(from) + L" " + kResultsSwitch +
                               L"\"" + results + L"\"";
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    const UniqueKernelHandle output(
        ::CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    PROCESS_INFORMATION process = {};
    const BOOL started =
        ::CreateProcessW(exe, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    if (!started)
        return false;
    const UniqueKernelHandle thread(process.hThread);
    child.process.reset(process.hProcess);
    return true;
}

void EndChild(Child& child, bool kill)
{
    if (!child.process)
        return;
    if (kill) {
        ::TerminateProcess(child.process.get(), 99);
        ::WaitForSingleObject(child.process.get(), 10000);
    }
    ::GetExitCodeProcess(child.process.get(), &child.exitCode);
    child.process.reset();
}

// One child from case `from` on; fills the verdicts it reaches and returns where
// the next child must start.
size_t RunChild(const ProbeRun& run, const std::wstring& plan, size_t from, size_t total, unsigned launch,
                std::vector<ProbeVerdict>& verdicts)
{
    const std::wstring results = run.workFolder + L"\\results-" + std::to_wstring(launch) + L".txt";
    const std::wstring log = run.workFolder + L"\\child-" + std::to_wstring(launch) + L".log";
    ::DeleteFileW(results.c_str());
    Child child;
    if (!StartChild(plan, from, results, log, child)) {
        verdicts[from] = {ProbeOutcome::Crashed, "the probe child could not be started"};
        return from + 1;
    }
    ResultsReader reader(results);
    size_t current = total;  // the case begun and not yet ended
    size_t next = from;      // the first case without a verdict
    ULONGLONG since = ::GetTickCount64();
    const auto take = [&](const std::string& line) {
        const std::vector<std::string> fields = SplitTabs(line);
        if (fields.size() < 2)
            return;
        const size_t index = static_cast<size_t>(std::stoul(fields[1]));
        if (index >= total)
            return;
        if (fields[0] == "B") {
            current = index;
            since = ::GetTickCount64();
        } else if (fields[0] == "E") {
            const bool passed = fields.size() > 2 && fields[2] == "ok";
            verdicts[index] = {passed ? ProbeOutcome::Passed : ProbeOutcome::Failed,
                               fields.size() > 3 ? fields[3] : std::string()};
            current = total;
            next = index + 1;
            since = ::GetTickCount64();
        }
    };
    for (;;) {
        const bool exited = ::WaitForSingleObject(child.process.get(), 20) == WAIT_OBJECT_0;
        for (const std::string& line : reader.NewLines())
            take(line);
        if (exited) {
            EndChild(child, false);
            break;
        }
        if (::GetTickCount64() - since > run.perArchiveTimeoutMs) {
            EndChild(child, true);
            const size_t stuck = current < total ? current : next;
            verdicts[stuck] = {ProbeOutcome::Hung,
                               current < total ? "no verdict within " + std::to_string(run.perArchiveTimeoutMs) + " ms"
                                               : "the probe child did not reach the case"};
            return stuck + 1;
        }
    }
    if (current < total) {
        std::ostringstream detail;
        detail << "the probe child ended during the case, exit code 0x" << std::hex << child.exitCode;
        verdicts[current] = {ProbeOutcome::Crashed, detail.str()};
        return current + 1;
    }
    if (next < total || child.exitCode != 0) {
        // Ended between cases, or failed after the last one.
        std::ostringstream detail;
        detail << "the probe child ended with exit code 0x" << std::hex << child.exitCode << " after case " << next
               << " (log " << Utf8(log) << ")";
        if (next < total) {
            verdicts[next] = {ProbeOutcome::Crashed, detail.str()};
            return next + 1;
        }
        verdicts[total - 1] = {ProbeOutcome::Crashed, detail.str()};
    }
    return total;
}

// ---- the child's side ----

LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* exception)
{
    ::TerminateProcess(::GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

struct PlannedCase {
    size_t index = 0;
    ProbeCase probe;
};

struct Plan {
    std::wstring anchor;
    std::wstring work;
    std::vector<PlannedCase> cases;
};

Plan ReadPlan(const std::wstring& path)
{
    Plan plan;
    std::ifstream stream(path.c_str());
    for (std::string line; std::getline(stream, line);) {
        const std::vector<std::string> fields = SplitTabs(line);
        if (fields.size() >= 2 && fields[0] == kAnchorKey)
            plan.anchor = Wide(fields[1]);
        else if (fields.size() >= 2 && fields[0] == kWorkKey)
            plan.work = Wide(fields[1]);
        else if (fields.size() >= 5)
            plan.cases.push_back(
                {std::stoul(fields[0]), {Wide(fields[1]), Wide(fields[2]), fields[3], fields[4] == "extract"}});
    }
    return plan;
}

class ResultsWriter {
public:
    explicit ResultsWriter(const std::wstring& path)
        : file(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                             0, nullptr))
    {
    }

    // Straight to the file: a crash right after must not lose it.
    void Line(const std::string& text)
    {
        const std::string line = text + "\n";
        DWORD written = 0;
        ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        ::FlushFileBuffers(file.get());
    }

    bool IsOpen() const { return static_cast<bool>(file); }

private:
    UniqueKernelHandle file;
};

class CaseChecks {
public:
    void Expect(bool condition, const std::string& problem)
    {
        if (!condition)
            problems += (problems.empty() ? "" : "; ") + problem;
    }
    const std::string& Problems() const { return problems; }

private:
    std::string problems;
};

std::string Codes(const LibraryWalk& walk)
{
    return "(open " + std::to_string(walk.openResult) + ", stop " + std::to_string(walk.stopCode) + ", unsafe " +
           std::to_string(walk.unsafeNames) + ", links " + std::to_string(walk.linksLeftOut) + ", prompts " +
           std::to_string(walk.passwordRequests) + ", failed " + std::to_string(walk.failures.size()) + ")";
}

std::string ProbeCaseOnce(ShownMainFrame& shown, BoxAnswerer& answerer, const Plan& plan, const PlannedCase& planned,
                          const CatalogueState& anchorState, const AppSettings& settingsBefore,
                          const std::wstring& registryBefore, std::string& codes)
{
    CaseChecks checks;
    const ProbeCase& probe = planned.probe;
    if (probe.archive == kProbeHangs)
        ::Sleep(INFINITE);
    if (probe.archive == kProbeCrashes)
        ::RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    answerer.SetPassword(probe.password);
    CMainFrame& frame = shown.Frame();

    // Listing: what the library reports is what the user reads.
    const LibraryWalk listing = WalkForListing(probe.archive, probe.password);
    answerer.Clear();
    const int opened = frame.OpenArchive(probe.archive);
    PumpMessagesFor(0);
    const ShownBoxes listingBoxes = answerer.Messages();
    checks.Expect(listingBoxes == ExpectedListingBoxes(listing),
                  "listing showed " + Describe(listingBoxes) + " for " + Codes(listing));
    checks.Expect(answerer.PasswordPrompts() == listing.passwordRequests,
                  "listing prompted " + std::to_string(answerer.PasswordPrompts()) + " times");
    codes = "list " + std::to_string(listing.openResult) + "/" + std::to_string(listing.stopCode);
    if (listing.openResult != ERAR_SUCCESS) {
        checks.Expect(opened == -1, "a refused open returned " + std::to_string(opened));
        checks.Expect(StateOf(frame.Catalogue()) == anchorState, "a refused open changed the catalogue");
        checks.Expect(shown.RowCount() == 0, "rows shown after a refused open");
        checks.Expect(shown.Title() == L"Quillet", "title after a refused open: " + Utf8(shown.Title()));
    } else {
        const CatalogueState state = StateOf(frame.Catalogue());
        checks.Expect(opened == 1, "an open returned " + std::to_string(opened));
        checks.Expect(state.archivePath == probe.archive, "the catalogue is not the archive's");
        checks.Expect(state.paths.size() == listing.entries, "listed " + std::to_string(state.paths.size()) + " of " +
                                                                 std::to_string(listing.entries) + " entries");
        checks.Expect(shown.Title() == L"Quillet - [" + probe.archive + L"]", "title " + Utf8(shown.Title()));
    }

    if (opened == 1 && probe.extract) {
        // Extraction: the same codes, nothing lost of what was there before,
        // and the same files the bare library walk writes.
        const std::wstring name = std::to_wstring(planned.index);
        const std::wstring destination = plan.work + L"\\dest\\" + name;
        const std::wstring oracle = plan.work + L"\\oracle\\" + name;
        const std::wstring kept = destination + L"\\kept-before\\kept.txt";
        WriteTextFile(kept, "extracted earlier");
        const LibraryWalk extraction = WalkForExtraction(probe.archive, probe.password, oracle);
        const CatalogueState before = StateOf(frame.Catalogue());
        answerer.Clear();
        const INT_PTR result = RunExtractionJob(shown.JobInto(destination), shown.Window());
        // The code whose message the user reads first.
        codes += " extract " + std::to_string(extraction.openResult) + "/" + std::to_string(FirstJobCode(extraction));
        PumpMessagesFor(0);
        const ShownBoxes jobBoxes = answerer.Messages();
        checks.Expect(jobBoxes == ExpectedJobBoxes(extraction),
                      "the job showed " + Describe(jobBoxes) + " for " + Codes(extraction));
        checks.Expect(answerer.PasswordPrompts() == extraction.passwordRequests,
                      "the job prompted " + std::to_string(answerer.PasswordPrompts()) + " times");
        checks.Expect(result == ExpectedJobResult(extraction), "the job ended with " + std::to_string(result));
        DiskTree written = ReadDiskTree(destination);
        checks.Expect(written[L"kept-before\\kept.txt"] == "extracted earlier", "an earlier file was changed");
        written.erase(L"kept-before\\kept.txt");
        written.erase(L"kept-before\\");
        const DiskTree expected = ReadDiskTree(oracle);
        checks.Expect(written == expected, "the job wrote " + std::to_string(written.size()) +
                                               " items, the library alone " + std::to_string(expected.size()));
        checks.Expect(StateOf(frame.Catalogue()) == before, "the job changed the catalogue");
    }
    if (opened == 1) {
        answerer.Clear();
        checks.Expect(frame.OpenArchive(plan.anchor) == 1 && answerer.Boxes().empty(),
                      "the intact archive did not open again");
    }
    checks.Expect(SameSettings(shown.Settings(), settingsBefore), "the settings changed");
    checks.Expect(SettingsRegistryDump() == registryBefore, "the stored settings changed");
    return checks.Problems();
}

}  // namespace

std::vector<ProbeVerdict> RunProbes(const ProbeRun& run, const std::vector<ProbeCase>& cases)
{
    std::vector<ProbeVerdict> verdicts(cases.size());
    if (cases.empty())
        return verdicts;
    const std::wstring plan = run.workFolder + L"\\plan.txt";
    {
        std::ostringstream text;
        text << kAnchorKey << '\t' << Utf8(run.anchor) << '\n' << kWorkKey << '\t' << Utf8(run.workFolder) << '\n';
        for (size_t i = 0; i < cases.size(); ++i)
            text << i << '\t' << Utf8(cases[i].archive) << '\t' << Utf8(cases[i].password) << '\t'
                 << OneLine(cases[i].label) << '\t' << (cases[i].extract ? "extract" : "list") << '\n';
        WriteTextFile(plan, text.str());
    }
    unsigned launch = 0;
    for (size_t next = 0; next < cases.size();)
        next = RunChild(run, plan, next, cases.size(), ++launch, verdicts);
    return verdicts;
}

bool IsProbeChild()
{
    return !SwitchValue(kPlanSwitch).empty();
}

int RunProbeChild()
{
    // A crash ends the child at once with the exception's code, for the parent to
    // see: no box, and no debugger (Wine starts one whatever the error mode says).
    ::SetErrorMode(::GetErrorMode() | SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
    ::SetUnhandledExceptionFilter(&EndOnCrash);
    const Plan plan = ReadPlan(SwitchValue(kPlanSwitch));
    ResultsWriter results(SwitchValue(kResultsSwitch));
    const std::wstring fromText = SwitchValue(kFromSwitch);
    const size_t from = fromText.empty() ? 0 : std::stoul(fromText);
    if (!results.IsOpen() || plan.anchor.empty() || plan.work.empty())
        return 2;

    BoxAnswerer answerer;
    ShownMainFrame shown;
    if (shown.Frame().OpenArchive(plan.anchor) != 1 || !answerer.Boxes().empty())
        return 3;
    const CatalogueState anchorState = StateOf(shown.Frame().Catalogue());
    const AppSettings settingsBefore = shown.Settings();
    const std::wstring registryBefore = SettingsRegistryDump();

    for (const PlannedCase& planned : plan.cases) {
        if (planned.index < from)
            continue;
        results.Line("B\t" + std::to_string(planned.index));
        std::string problems;
        std::string codes;
        try {
            problems =
                ProbeCaseOnce(shown, answerer, plan, planned, anchorState, settingsBefore, registryBefore, codes);
        } catch (const std::exception& error) {
            problems = std::string("exception: ") + error.what();
        }
        results.Line("E\t" + std::to_string(planned.index) + "\t" + (problems.empty() ? "ok" : "fail") + "\t" +
                     OneLine(problems.empty() ? codes : problems + " [" + codes + "]"));
    }
    return 0;
}
