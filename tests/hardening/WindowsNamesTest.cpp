// Names that Windows refuses or reads otherwise: device names, reserved
// characters, trailing dots and blanks, paths that differ only in letter case,
// and names that climb out, carry a drive or start at the root.

#include "HostileTesting.h"
#include "RecordingShellOpener.h"

#include "extract/DlgProgress.h"

namespace {

using Names = std::vector<std::wstring>;

class WindowsNames : public HostileArchiveTest {
protected:
    // Files made from Linux, where these names are valid and rar stores them as
    // they are; Wine could not write most of them.
    void MakeFiles(const std::wstring& names)
    {
        ASSERT_EQ(fixture
                      .Shell(L"for n in " + names +
                             L"; do mkdir -p \"$(dirname \"$n\")\"; "
                             L"printf \"%s\" \"$n\" > \"$n\"; done")
                      .exitCode,
                  0);
    }

    // Double-clicks the row and expects the refusal, with nothing handed to the shell.
    void ExpectOpenRefused(const std::wstring& name)
    {
        RecordingShellOpener shell;
        ExpectErrorBox(L"This entry cannot be opened because its name is unsafe.");
        ASSERT_NO_FATAL_FAILURE(Activate(name));
        EXPECT_TRUE(shell.Calls().empty()) << Utf8(name);
    }
};

// The library renames device names (CON becomes _CON) and drops trailing dots
// and blanks on Windows: all of it is extracted inside the destination, nothing
// reaches a device. Opening such an entry is refused: the shell would look for
// another file than the one written.
TEST_F(WindowsNames, DeviceNamesAndTrailingDotsAndBlanks)
{
    ASSERT_NO_FATAL_FAILURE(MakeFiles(L"CON nul.txt sub/AUX COM1.log LPT1 'prn .txt' trail. 'blank ' dots... "
                                      L"'folder. /inside.txt' ok.txt"));
    const std::wstring archive = Make(L"devices.rar", L"-r", L"'*'");
    ExpectProbesPass({{archive, L"", "device names, trailing dots and blanks", true}});

    CMainFrame& frame = Show(archive);
    const std::wstring destination = Work(L"dest");
    EXPECT_EQ(RunExtractionJob(shown->JobInto(destination), frame.handle), IDOK);
    const DiskTree written = ReadDiskTree(destination);
    for (const wchar_t* name :
         {L"_CON", L"sub\\_AUX", L"_COM1.log", L"_LPT1", L"trail", L"blank", L"dots", L"folder\\inside.txt", L"ok.txt"})
        EXPECT_EQ(written.count(name), 1u) << Utf8(name);
    EXPECT_EQ(written.count(L"CON"), 0u);

    for (const wchar_t* name : {L"CON", L"COM1.log", L"LPT1", L"trail.", L"blank ", L"dots..."})
        ExpectOpenRefused(name);
    EXPECT_TRUE(driver->AllAnswered());
}

// Characters that Windows refuses in names: the library writes the file under a
// corrected name ("ask_.txt") and still answers 16, which the user reads as
// "File create error."; the job goes on with the next entry.
TEST_F(WindowsNames, ReservedCharactersFailTheirEntryWithTheLibrarysCode)
{
    const std::vector<std::wstring> names = {L"'ask?.txt'", L"'star*.txt'", L"'pipe|x.txt'", L"'angle<>.txt'",
                                             L"'quote\".txt'"};
    std::vector<ProbeCase> cases;
    for (size_t i = 0; i < names.size(); ++i) {
        fixture.Shell(L"rm -rf ./*");
        ASSERT_NO_FATAL_FAILURE(MakeFiles(L"a-first.txt " + names[i] + L" z-last.txt"));
        const std::wstring archive =
            Make(L"reserved-" + std::to_wstring(i) + L".rar", L"", L"a-first.txt " + names[i] + L" z-last.txt");
        cases.push_back({archive, L"", "reserved character " + Utf8(names[i]), true});
    }
    ExpectProbesPass(cases);

    const std::wstring archive = fixture.OutputPath(L"reserved-1.rar");
    CMainFrame& frame = Show(archive);
    const std::wstring destination = Work(L"dest");
    ExpectErrorBox(L"File create error.");
    EXPECT_EQ(RunExtractionJob(shown->JobInto(destination), frame.handle), IDCANCEL);
    const DiskTree written = ReadDiskTree(destination);
    EXPECT_EQ(written.count(L"a-first.txt"), 1u);
    EXPECT_EQ(written.count(L"star_.txt"), 1u);
    EXPECT_EQ(written.count(L"z-last.txt"), 1u);
    EXPECT_TRUE(driver->AllAnswered());
}

// Folders and files whose paths differ only in letter case: one folder in the
// tree, the first header's, holds them all, as the file system holds them.
TEST_F(WindowsNames, PathsThatDifferOnlyInLetterCase)
{
    ASSERT_NO_FATAL_FAILURE(MakeFiles(L"Docs/a.txt DOCS/b.txt docs/Sub/c.txt docs/SUB/d.txt docs/x.txt docs/X.TXT"));
    const std::wstring archive = Make(L"case.rar", L"-r", L"Docs DOCS docs");
    ExpectProbesPass({{archive, L"", "letter case", true}});

    CMainFrame& frame = Show(archive);
    // Three folder rows, one per spelling; the first header's holds every file.
    const ArchiveEntry* holder = nullptr;
    size_t files = 0;
    for (const auto& root : frame.Catalogue().rootEntries) {
        size_t below = 0;
        std::vector<const ArchiveEntry*> pending{root.get()};
        while (!pending.empty()) {
            const ArchiveEntry* folder = pending.back();
            pending.pop_back();
            for (const auto& child : folder->children) {
                if (child->isFolder)
                    pending.push_back(child.get());
                else
                    ++below;
            }
        }
        if (below > 0)
            holder = root.get();
        files += below;
    }
    EXPECT_EQ(shown->RowCount(), 3);
    EXPECT_EQ(files, 6u);
    ASSERT_NE(holder, nullptr);
    ASSERT_NO_FATAL_FAILURE(Activate(holder->path));

    // The current folder's job takes every spelling.
    const std::wstring destination = Work(L"dest");
    EXPECT_EQ(RunExtractionJob(shown->JobInto(destination, ExtractCurrentFolder), frame.handle), IDOK);
    size_t written = 0;
    for (const auto& item : ReadDiskTree(destination))
        written += item.first.back() == L'\\' ? 0 : 1;
    EXPECT_EQ(written, 5u);  // x.txt and X.TXT are one file on Windows
    EXPECT_TRUE(driver->AllAnswered());
}

// Names that climb out, carry a drive or start at the root: skipped and
// counted by the job, refused when opened, written nowhere.
TEST_F(WindowsNames, ClimbingDriveAndRootedNames)
{
    const std::vector<std::string> hostile = {
        "../up1.txt", "a/../../up2.txt", "/rooted1.txt", "//server/share/unc.txt", ".. /.. /up3.txt", "a/... /up4.txt"};
    // The library itself turns a drive's colon into "_" in RAR5 names: these two
    // land inside the destination as C_\drive1.txt and C_drive2.txt.
    const std::vector<std::string> drives = {"C:/drive1.txt", "C:drive2.txt"};
    std::vector<std::string> standIns;
    for (size_t i = 0; i < hostile.size() + drives.size(); ++i) {
        standIns.push_back("stand-in-" + std::to_string(i) + ".txt");
        fixture.WriteFile(Wide(standIns.back()), "escaped " + std::to_string(i));
    }
    fixture.WriteFile(L"safe.txt", "safe");
    const std::wstring archive = Craft(L"climb.rar", L"'stand-in-*' safe.txt", [&](rar5::Archive& a) {
        for (size_t i = 0; i < standIns.size(); ++i) {
            rar5::FileHeader* header = a.Find(standIns[i]);
            ASSERT_NE(header, nullptr);
            header->name = i < hostile.size() ? hostile[i] : drives[i - hostile.size()];
        }
    });
    ExpectProbesPass({{archive, L"", "climbing, drive and rooted names", true}});

    CMainFrame& frame = Show(archive);
    const std::wstring destination = Work(L"dest\\below");
    ExpectErrorBox(std::to_wstring(hostile.size()) + L" entries were skipped because their names are unsafe.");
    EXPECT_EQ(RunExtractionJob(shown->JobInto(destination), frame.handle), IDCANCEL);
    const Names expected = {L"below\\", L"below\\C_\\", L"below\\C_\\drive1.txt", L"below\\C_drive2.txt",
                            L"below\\safe.txt"};
    Names found;
    for (const auto& item : ReadDiskTree(Work(L"dest")))
        found.push_back(item.first);
    EXPECT_EQ(found, expected);

    // Each hostile entry, wherever the tree shows it, is refused on a double-click.
    for (const std::string& name : hostile) {
        ASSERT_EQ(frame.OpenArchive(archive), 1);
        const std::wstring last = Wide(name.substr(name.find_last_of('/') + 1));
        std::wstring path = Wide(name);
        for (wchar_t& c : path)
            c = c == L'/' ? L'\\' : c;
        // Walk down the folders the tree made of the name's first components.
        for (size_t at = path.find(L'\\'); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
            const std::wstring folder = path.substr(0, at);
            const std::wstring shownName = folder.substr(folder.find_last_of(L'\\') + 1);
            if (RowOf(shownName) >= 0 && frame.Catalogue().EntryAtRow(RowOf(shownName))->isFolder) {
                ASSERT_NO_FATAL_FAILURE(Activate(shownName));
            }
        }
        ASSERT_GE(RowOf(last), 0) << name;
        ExpectOpenRefused(last);
    }
    EXPECT_TRUE(driver->AllAnswered());
}

}  // namespace
