#pragma once

// Test archives made at test time with Debian's `rar`, and other Linux tools run
// from a test exe under Wine. Wine starts a Unix program given by its Unix path but
// hands back no process handle, so each run is a small shell script that records
// its exit status in a file, which the test polls for with a timeout.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

struct ShellResult {
    int exitCode = -1;   // -1 when the command could not be started or timed out
    std::string output;  // standard output and error, UTF-8
    bool timedOut = false;
};

class RarFixture {
public:
    // A fresh work folder for the running test: <exe folder>\fixtures\<suite>.<test>,
    // holding "in" (the files to archive) and "out" (the archives).
    RarFixture();
    explicit RarFixture(const std::wstring& name);

    // Whether Linux programs can be run from here (a test skips otherwise).
    static bool Available();

    const std::wstring& Folder() const noexcept { return folder; }
    std::wstring InputPath(const std::wstring& relative) const;
    std::wstring OutputPath(const std::wstring& name) const;

    // Writes a file below "in", creating its folders; `relative` uses "\".
    void WriteFile(const std::wstring& relative, const std::string& contents = std::string());
    void MakeFolder(const std::wstring& relative);

    // Runs `command` with /bin/sh inside "in" (LC_ALL=C.UTF-8). `command` is shell
    // text; Quote() makes a safe word of any string.
    ShellResult Shell(const std::wstring& command, DWORD timeoutMs = 120000) const;

    // `rar a -idq <options> <out\name> <files>` inside "in"; `files` is shell text
    // (default: everything below "in"). Returns the archive's Windows path, or an
    // empty string after a failure (the test's EXPECTs report it).
    std::wstring MakeArchive(const std::wstring& name, const std::wstring& options = L"-r",
                             const std::wstring& files = L"'*'") const;

    static std::wstring Quote(const std::wstring& word);
    // The Unix path that Wine maps a Windows path to ("" when there is none).
    static std::string UnixPath(const std::wstring& windowsPath);

    static std::string ToUtf8(const std::wstring& text);
    static std::wstring FromUtf8(const std::string& text);

private:
    void Prepare(const std::wstring& name);

    std::wstring folder;
    mutable unsigned runs = 0;
};

// Empties the fixture's folder but for the shell's own files, from Linux: the
// fixture cannot remove read-only files, symbolic links or paths past MAX_PATH
// by itself, and what stays behind would mislead the next run.
void CleanFixture(const RarFixture& fixture);

// A test with a rar fixture: skipped where rar cannot run, its folder emptied after.
class RarFixtureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!RarFixture::Available())
            GTEST_SKIP() << "rar cannot be run from here";
        clean = true;
    }

    void TearDown() override
    {
        if (clean)
            CleanFixture(fixture);
    }

    RarFixture fixture;

private:
    bool clean = false;
};

// The test executable's own folder.
std::wstring ExeFolder();
// The system folder (GetSystemDirectoryW).
std::wstring SystemFolder();

// Reads a whole file ("" when it cannot be read).
std::string ReadWholeFile(const std::wstring& path);
