#include "WrittenOutsideCheck.h"

#include "HardeningTesting.h"

#include <sstream>

namespace {

bool IsBelow(const std::string& path, const std::string& root)
{
    return path == root ||
           (path.size() > root.size() && path.compare(0, root.size(), root) == 0 && path[root.size()] == '/');
}

// The scripts of a fixture and their output (run<N>.sh, .out, .status), in this
// test's folder or in the one of the test before, whose last script may carry a
// later time than the mark: file times here come from a coarse clock.
bool IsShellBookkeeping(const std::string& path, bool isFolder, const std::string& fixturesFolder)
{
    if (!IsBelow(path, fixturesFolder) || path == fixturesFolder)
        return false;
    const size_t folderEnd = path.find('/', fixturesFolder.size() + 1);
    if (folderEnd == std::string::npos)
        return isFolder;  // a fixture folder itself
    return !isFolder && path.find('/', folderEnd + 1) == std::string::npos && path.compare(folderEnd, 4, "/run") == 0;
}

// Folders of the Unix root that change by themselves.
bool IsVolatileRootFolder(const std::string& path)
{
    for (const char* folder : {"/", "/proc", "/sys", "/dev", "/run", "/tmp", "/var"}) {
        if (path == folder)
            return true;
    }
    return false;
}

}  // namespace

WrittenOutsideCheck::WrittenOutsideCheck(const RarFixture& shellFixture, std::vector<std::wstring> allowed)
    : fixture(shellFixture)
{
    allowed.push_back(shellFixture.Folder() + L"\\in");
    allowed.push_back(shellFixture.Folder() + L"\\out");
    for (const std::wstring& root : allowed) {
        const std::string unixRoot = RarFixture::UnixPath(root);
        if (!unixRoot.empty())
            allowedRoots.push_back(unixRoot);
    }
    // Making an allowed root changes every folder above it.
    for (const std::string& root : allowedRoots) {
        for (size_t slash = root.rfind('/'); slash != std::string::npos && slash > 0;
             slash = root.rfind('/', slash - 1))
            ancestors.push_back(root.substr(0, slash));
    }
    marker = RarFixture::UnixPath(shellFixture.Folder()) + "/written-outside.mark";
    fixture.Shell(L"touch " + RarFixture::Quote(Wide(marker)));
}

std::vector<std::string> WrittenOutsideCheck::Changes(bool& ok) const
{
    const std::string driveC = RarFixture::UnixPath(L"C:\\");
    const std::string exeFolder = RarFixture::UnixPath(ExeFolder());
    const std::string fixtureFolder = RarFixture::UnixPath(fixture.Folder());
    const std::string fixturesFolder = fixtureFolder.substr(0, fixtureFolder.rfind('/'));
    const std::wstring quotedMarker = RarFixture::Quote(Wide(marker));
    const ShellResult found = fixture.Shell(L"test -f " + quotedMarker +
                                            L" || exit 7\n"
                                            L"find " +
                                            RarFixture::Quote(Wide(driveC)) + L" " +
                                            RarFixture::Quote(Wide(exeFolder)) + L" -cnewer " + quotedMarker +
                                            L" -printf '%y %p\\n' 2>/dev/null\n"
                                            L"find / -maxdepth 1 -cnewer " +
                                            quotedMarker +
                                            L" -printf '%y %p\\n' 2>/dev/null\n"
                                            L"exit 0");
    ok = found.exitCode == 0 && !driveC.empty() && !exeFolder.empty();
    std::vector<std::string> changes;
    std::stringstream lines(found.output);
    for (std::string typed; std::getline(lines, typed);) {
        // "<type> <path>", d for a folder.
        if (typed.size() < 3 || typed[1] != ' ')
            continue;
        const bool isFolder = typed[0] == 'd';
        const std::string line = typed.substr(2);
        if (line == marker || IsVolatileRootFolder(line) || IsShellBookkeeping(line, isFolder, fixturesFolder))
            continue;
        bool explained = line == driveC || line == exeFolder || line == fixtureFolder;
        for (const std::string& root : allowedRoots)
            explained = explained || IsBelow(line, root);
        for (const std::string& ancestor : ancestors)
            explained = explained || line == ancestor;
        if (!explained)
            changes.push_back(line);
    }
    return changes;
}
