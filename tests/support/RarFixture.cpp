#include "RarFixture.h"

#include "framework/Handles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

constexpr wchar_t kShell[] = L"/bin/sh";
constexpr wchar_t kRarProgram[] = L"/usr/bin/rar";

using UnixNameFunction = char*(CDECL*)(const wchar_t*);

UnixNameFunction WineUnixName()
{
    // Only Wine's kernel32 has it; on Windows the fixture reports itself unavailable.
    static const auto function = reinterpret_cast<UnixNameFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    return function;
}

std::wstring CurrentTestName()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (!test)
        return L"outside-test";
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    for (char& c : name) {
        if (c == '/' || c == '\\' || c == ':')
            c = '_';
    }
    return RarFixture::FromUtf8(name);
}

}  // namespace

RarFixture::RarFixture()
{
    Prepare(CurrentTestName());
}

RarFixture::RarFixture(const std::wstring& name)
{
    Prepare(name);
}

void RarFixture::Prepare(const std::wstring& name)
{
    folder = ExeFolder() + L"\\fixtures\\" + name;
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::create_directories(folder + L"\\in", ignored);
    fs::create_directories(folder + L"\\out", ignored);
}

bool RarFixture::Available()
{
    if (!WineUnixName())
        return false;
    // Z: is Wine's window onto the Unix root.
    return ::GetFileAttributesW(L"Z:\\bin\\sh") != INVALID_FILE_ATTRIBUTES &&
           ::GetFileAttributesW(L"Z:\\usr\\bin\\rar") != INVALID_FILE_ATTRIBUTES;
}

std::wstring RarFixture::InputPath(const std::wstring& relative) const
{
    return folder + L"\\in\\" + relative;
}

std::wstring RarFixture::OutputPath(const std::wstring& name) const
{
    return folder + L"\\out\\" + name;
}

void RarFixture::WriteFile(const std::wstring& relative, const std::string& contents)
{
    const fs::path path(InputPath(relative));
    std::error_code ignored;
    fs::create_directories(path.parent_path(), ignored);
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    EXPECT_TRUE(stream.good()) << "cannot write " << path.string();
}

void RarFixture::MakeFolder(const std::wstring& relative)
{
    std::error_code ignored;
    fs::create_directories(InputPath(relative), ignored);
}

ShellResult RarFixture::Shell(const std::wstring& command, DWORD timeoutMs) const
{
    ShellResult result;
    const unsigned run = ++runs;
    const std::wstring base = folder + L"\\run" + std::to_wstring(run);
    const std::wstring scriptPath = base + L".sh";
    const std::wstring outputPath = base + L".out";
    const std::wstring statusPath = base + L".status";

    const std::string input = UnixPath(folder + L"\\in");
    const std::string unixBase = UnixPath(base);
    if (input.empty() || unixBase.empty()) {
        result.output = "no Unix path for the fixture folder";
        return result;
    }
    const std::string status = ToUtf8(Quote(FromUtf8(unixBase + ".status")));
    const std::string script = "export LC_ALL=C.UTF-8\n"
                               "cd " +
                               ToUtf8(Quote(FromUtf8(input))) + " || { echo 90 > " + status +
                               "; exit 90; }\n"
                               "( " +
                               ToUtf8(command) + "\n) > " + ToUtf8(Quote(FromUtf8(unixBase + ".out"))) +
                               " 2>&1 < /dev/null\n"
                               "echo $? > " +
                               status + ".tmp && mv " + status + ".tmp " + status + "\n";
    {
        std::ofstream stream(fs::path(scriptPath), std::ios::binary | std::ios::trunc);
        stream << script;
        if (!stream.good()) {
            result.output = "cannot write the script";
            return result;
        }
    }

    // A status left by an earlier run of the test (its folder could not be
    // removed) would be read as this command's at once.
    ::DeleteFileW(statusPath.c_str());
    ::DeleteFileW((statusPath + L".tmp").c_str());

    std::wstring commandLine = std::wstring(kShell) + L" \"" + FromUtf8(unixBase) + L".sh\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(kShell, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        result.output = "cannot start /bin/sh";
        return result;
    }
    // Wine gives no handles for a Unix process; close whatever it did give.
    const UniqueKernelHandle thread(process.hThread);
    const UniqueKernelHandle shell(process.hProcess);

    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (::GetFileAttributesW(statusPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (::GetTickCount64() >= deadline) {
            result.timedOut = true;
            result.output = ReadWholeFile(outputPath) + "\n(timed out)";
            return result;
        }
        ::Sleep(10);
    }
    result.exitCode = std::atoi(ReadWholeFile(statusPath).c_str());
    result.output = ReadWholeFile(outputPath);
    return result;
}

std::wstring RarFixture::MakeArchive(const std::wstring& name, const std::wstring& options,
                                     const std::wstring& files) const
{
    const std::string archive = UnixPath(OutputPath(name));
    const ShellResult made =
        Shell(std::wstring(kRarProgram) + L" a -idq " + options + L" " + Quote(FromUtf8(archive)) + L" " + files);
    EXPECT_EQ(made.exitCode, 0) << "rar failed: " << made.output;
    if (made.exitCode != 0)
        return std::wstring();
    return OutputPath(name);
}

std::wstring RarFixture::Quote(const std::wstring& word)
{
    std::wstring quoted = L"'";
    for (wchar_t c : word) {
        if (c == L'\'')
            quoted += L"'\\''";
        else
            quoted += c;
    }
    return quoted + L"'";
}

std::string RarFixture::UnixPath(const std::wstring& windowsPath)
{
    const UnixNameFunction unixName = WineUnixName();
    if (!unixName)
        return std::string();
    if (char* name = unixName(windowsPath.c_str())) {
        std::string path(name);
        ::HeapFree(::GetProcessHeap(), 0, name);
        return path;
    }
    // Wine maps only paths whose parent exists: map the nearest existing folder and
    // append the rest, so that a command never gets an empty path (which a shell
    // line could turn into "/").
    const size_t separator = windowsPath.find_last_of(L"\\/");
    if (separator == std::wstring::npos || separator + 1 >= windowsPath.size() || separator < 3)
        return std::string();
    const std::string parent = UnixPath(windowsPath.substr(0, separator));
    if (parent.empty())
        return std::string();
    return parent + "/" + ToUtf8(windowsPath.substr(separator + 1));
}

std::string RarFixture::ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], size, nullptr, nullptr);
    return utf8;
}

std::wstring RarFixture::FromUtf8(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
    return wide;
}

std::wstring SystemFolder()
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length < MAX_PATH ? length : 0);
}

std::wstring ExeFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return fs::path(path).parent_path().wstring();
}

void CleanFixture(const RarFixture& fixture)
{
    const std::string folder = RarFixture::UnixPath(fixture.Folder());
    if (folder.find("/fixtures/") == std::string::npos)
        return;
    fixture.Shell(L"find " + RarFixture::Quote(RarFixture::FromUtf8(folder)) +
                  L" -mindepth 1 -maxdepth 1 ! -name 'run*' -exec rm -rf {} +");
}

std::string ReadWholeFile(const std::wstring& path)
{
    std::ifstream stream(fs::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}
