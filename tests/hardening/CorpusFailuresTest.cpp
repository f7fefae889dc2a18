// The archives of the libarchive corpus on which the reference `unrar` fails (a
// damaged or fuzzer-made archive, a missing volume, a wrong or missing password,
// nothing to extract): each is listed and extracted by the program in the probe
// child (no crash, no hang, the library's codes as messages, nothing else
// changed), and the message the user reads matches what the reference reports.
// The clean cases are compared in tests/catalogue and tests/extract.

#include "ArchiveProbe.h"
#include "CorpusManifest.h"
#include "HardeningTesting.h"
#include "RarFixture.h"
#include "WrittenOutsideCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

namespace {

// What the reference said about one archive, for one command.
struct ReferenceRun {
    int rc = -1;
    std::string output;
};

// The kinds of failure the reference reports, read from its messages, and the
// program's messages that match each.
enum class Failure { None, Warning, Damage, Checksum, Password, Volume, NothingToExtract, Aborted };

const char* Name(Failure failure)
{
    switch (failure) {
    case Failure::None:
        return "none";
    case Failure::Warning:
        return "warning (unexpected end)";
    case Failure::Damage:
        return "damaged headers";
    case Failure::Checksum:
        return "checksum";
    case Failure::Password:
        return "password";
    case Failure::Volume:
        return "missing volume";
    case Failure::NothingToExtract:
        return "nothing to extract";
    case Failure::Aborted:
        return "aborted";
    }
    return "?";
}

bool Says(const std::string& output, const char* text)
{
    return output.find(text) != std::string::npos;
}

Failure Classify(const ReferenceRun& run)
{
    if (run.rc == 0)
        return Failure::None;
    const std::string& out = run.output;
    if (run.rc == 10)
        return Failure::NothingToExtract;
    if (Says(out, "Cannot find volume") || Says(out, "Cannot open") || Says(out, "previous volume"))
        return Failure::Volume;
    if (run.rc == 11 || run.rc == 255 || Says(out, "password is incorrect") || Says(out, "wrong password") ||
        Says(out, "Enter password"))
        return Failure::Password;
    if (run.rc == 2 || Says(out, "Seek error"))
        return Failure::Aborted;
    // Exit code 1 is a warning: the command-line tool notes an early end that the
    // library's header walk takes for the normal end (10) when nothing is lost.
    if (run.rc == 1 && !Says(out, "Checksum error") && !Says(out, "Corrupt header"))
        return Failure::Warning;
    if (Says(out, "Corrupt header") || Says(out, "archive header is corrupt") || Says(out, "Unexpected end") ||
        Says(out, "not RAR archive") || Says(out, "is corrupt"))
        return Failure::Damage;
    if (Says(out, "Checksum error") || Says(out, "CRC failed"))
        return Failure::Checksum;
    return Failure::Damage;
}

// The messages that tell the user of each kind of failure: the library's codes
// as the program shows them. A refused password shows nothing (22); a wrong one
// reads as invalid, or as a CRC error in RAR4, which cannot tell them apart.
bool Matches(Failure failure, const std::wstring& shown, bool passwordTyped)
{
    const auto any = [&shown](std::initializer_list<const wchar_t*> texts) {
        for (const wchar_t* text : texts) {
            if (shown == text)
                return true;
        }
        return false;
    };
    switch (failure) {
    case Failure::None:
    case Failure::NothingToExtract:
        return shown.empty();
    case Failure::Warning:
        return shown.empty() || any({L"File header broken.", L"Bad archive.", L"File CRC error."});
    case Failure::Damage:
    case Failure::Aborted:
        return any(
            {L"File header broken.", L"Bad archive.", L"Unknown archive format.", L"File CRC error.", L"Read error."});
    case Failure::Checksum:
        return any({L"File CRC error.", L"File header broken."});
    case Failure::Password:
        return passwordTyped ? any({L"Entered password is invalid.", L"File CRC error."}) : shown.empty();
    case Failure::Volume:
        return any({L"Volume open error.", L"File CRC error.", L"File header broken."});
    }
    return false;
}

// "list 0/254 extract 0/12" from the probe: the codes whose messages the user read.
std::pair<int, int> ShownCodes(const std::string& detail, const char* step)
{
    const size_t at = detail.find(step);
    if (at == std::string::npos)
        return {0, ERAR_END_ARCHIVE};
    int open = 0;
    int stop = 0;
    std::sscanf(detail.c_str() + at + std::strlen(step), " %d/%d", &open, &stop);
    return {open, stop};
}

std::wstring MessageOf(std::pair<int, int> codes)
{
    return ExpectedErrorText(codes.first != 0 ? codes.first : codes.second);
}

TEST(CorpusFailures, TheUserReadsWhatTheReferenceReports)
{
    if (!RarFixture::Available())
        GTEST_SKIP() << "Linux programs cannot be run from here";
    const std::vector<CorpusRow> manifest = ReadCorpusManifest();
    if (manifest.empty())
        FAIL() << "no corpus at " << CorpusUnixFolder();

    RarFixture fixture;
    fixture.Shell(L"cd .. && find . -mindepth 1 -maxdepth 1 ! -name 'run*' -exec rm -rf {} + ; mkdir -p in out");
    struct Case {
        CorpusRow row;
        std::wstring password;  // what is typed at the program's prompts
        bool extract = true;
    };
    std::vector<Case> cases;
    for (const CorpusRow& row : manifest) {
        const bool referenceFails = row.listRc != "0" || row.testRc != "0";
        if (!referenceFails)
            continue;
        // As the reference was run: without a password (refused at the prompt),
        // and with the right one where there is one.
        cases.push_back({row, L"", true});
        if (!row.password.empty() && row.password != "unknown")
            cases.push_back({row, Wide(row.password), true});
    }
    ASSERT_GT(cases.size(), 30u);

    // The reference: `unrar lt` and `unrar x` with the same password, or -p-.
    const std::string work = RarFixture::UnixPath(fixture.Folder()) + "/reference";
    std::wstring script = L"mkdir -p " + RarFixture::Quote(Wide(work)) + L"\ncd " +
                          RarFixture::Quote(Wide(CorpusUnixFolder())) + L" || exit 9\n";
    for (size_t i = 0; i < cases.size(); ++i) {
        const std::wstring file = RarFixture::Quote(Wide(cases[i].row.file));
        const std::wstring password = cases[i].password.empty() ? L"-p-" : L"-p" + RarFixture::Quote(cases[i].password);
        const std::wstring destination = RarFixture::Quote(Wide(work + "/" + std::to_string(i) + "/"));
        script += L"echo '@@list " + std::to_wstring(i) + L"'; timeout 60 unrar lt " + password + L" " + file +
                  L" 2>&1; echo \"@@rc $?\"\n";
        script += L"echo '@@extract " + std::to_wstring(i) + L"'; timeout 60 unrar x -o+ " + password + L" " + file +
                  L" " + destination + L" 2>&1; echo \"@@rc $?\"\n";
    }
    const ShellResult reference = fixture.Shell(script, 300000);
    ASSERT_FALSE(reference.timedOut);
    std::map<std::string, ReferenceRun> runs;  // "list 3", "extract 3"
    {
        std::stringstream lines(reference.output);
        std::string current;
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("@@rc ", 0) == 0)
                runs[current].rc = std::stoi(line.substr(5));
            else if (line.rfind("@@", 0) == 0)
                current = line.substr(2);
            else
                runs[current].output += line + "\n";
        }
    }

    std::vector<ProbeCase> probes;
    for (const Case& c : cases) {
        // A later volume: the reference goes back to the first for x; listing it is enough.
        const bool laterVolume = c.row.IsLaterVolume();
        probes.push_back({CorpusWindowsPath(c.row.file), c.password,
                          c.row.file + (c.password.empty() ? " without password" : " with its password"),
                          !laterVolume});
    }
    fixture.WriteFile(L"a.txt", "intact");
    ProbeRun run;
    run.workFolder = fixture.Folder() + L"\\work";
    run.anchor = fixture.MakeArchive(L"anchor.rar", L"", L"a.txt");
    ::CreateDirectoryW(run.workFolder.c_str(), nullptr);
    WrittenOutsideCheck outside(fixture, {run.workFolder, fixture.Folder() + L"\\reference"});
    const std::vector<ProbeVerdict> verdicts = RunProbes(run, probes);

    std::map<std::string, std::pair<int, int>> tally;  // failure kind: tried, matched
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(probes[i].label);
        ASSERT_EQ(verdicts[i].outcome, ProbeOutcome::Passed) << verdicts[i].detail;
        const ReferenceRun& list = runs["list " + std::to_string(i)];
        const ReferenceRun& extract = runs["extract " + std::to_string(i)];
        const Failure extractFailure = Classify(extract);
        // The reference's `lt` stops at the end of the one volume it is given and
        // calls it an unexpected end; the program's walk goes on to the next
        // volume, as extraction does, and finds it missing.
        const Failure listFailure = extractFailure == Failure::Volume ? Failure::Volume : Classify(list);
        const bool typed = !cases[i].password.empty();
        const std::wstring listShown = MessageOf(ShownCodes(verdicts[i].detail, "list"));
        const bool extracted = verdicts[i].detail.find("extract") != std::string::npos;
        const std::wstring extractShown =
            extracted ? MessageOf(ShownCodes(verdicts[i].detail, "extract")) : std::wstring();
        // A listing the program refused has no extraction: its one message stands for both.
        const bool listMatched = Matches(listFailure, listShown, typed);
        const bool extractMatched =
            extracted ? Matches(extractFailure, extractShown, typed) : Matches(extractFailure, listShown, typed);
        std::printf("CORPUS-FAILURE\t%s\t%s\tlist rc %d %s: '%s'\textract rc %d %s: '%s'\n", probes[i].label.c_str(),
                    verdicts[i].detail.c_str(), list.rc, Name(listFailure), Utf8(listShown).c_str(), extract.rc,
                    Name(extractFailure), Utf8(extractShown).c_str());
        EXPECT_TRUE(listMatched) << "the reference's listing: " << Name(listFailure) << " (rc " << list.rc
                                 << "), the program showed '" << Utf8(listShown) << "'\n"
                                 << list.output;
        EXPECT_TRUE(extractMatched) << "the reference's extraction: " << Name(extractFailure) << " (rc " << extract.rc
                                    << "), the program showed '" << Utf8(extractShown) << "'\n"
                                    << extract.output;
        auto& counts = tally[Name(std::max(listFailure, extractFailure))];
        ++counts.first;
        counts.second += listMatched && extractMatched ? 1 : 0;
    }
    for (const auto& [kind, counts] : tally)
        std::printf("CORPUS-TALLY\t%s\t%d\t%d\n", kind.c_str(), counts.first, counts.second);
    std::fflush(stdout);

    bool searched = false;
    for (const std::string& change : outside.Changes(searched))
        ADD_FAILURE() << "written outside the destinations: " << change;
    EXPECT_TRUE(searched);
    fixture.Shell(L"cd .. && find . -mindepth 1 -maxdepth 1 ! -name 'run*' -exec rm -rf {} +");
}

}  // namespace
