#include "HostileTesting.h"

#include "res/resource.h"

#include <commctrl.h>

#include <cstdlib>

void HostileArchiveTest::SetUp()
{
    if (!RarFixture::Available())
        GTEST_SKIP() << "rar cannot be run from here";
    ready = true;
    // What an earlier run left, long paths included, which the fixture cannot remove itself.
    fixture.Shell(L"cd .. && find . -mindepth 1 -maxdepth 1 ! -name 'run*' -exec rm -rf {} + ; mkdir -p in out");
    useTemp = std::make_unique<TemporaryFolderOverride>(temp);
    ::CreateDirectoryW(work.c_str(), nullptr);
    outside = std::make_unique<WrittenOutsideCheck>(fixture, std::vector<std::wstring>{work, temp});
    fixture.WriteFile(L"anchor\\kept.txt", "the archive open before\n");
    anchor = Make(L"anchor.rar", L"-m0", L"anchor");
    driver = std::make_unique<DialogDriver>(testTimeoutMs);
    // The progress dialog of a long job is nobody's to answer.
    driver->SetUnexpectedDialogTimeout(testTimeoutMs);
}

void HostileArchiveTest::TearDown()
{
    if (!ready)
        return;
    shown.reset();
    if (driver) {
        EXPECT_TRUE(driver->AllAnswered());
        driver.reset();
    }
    bool searched = false;
    for (const std::string& change : outside->Changes(searched))
        ADD_FAILURE() << "written outside the destinations: " << change;
    EXPECT_TRUE(searched);
    useTemp.reset();
    // Links, read-only files and long paths are beyond the fixture's own clearing,
    // which would spin on them next time: cleared from Linux, also after a failure
    // unless QUILLET_KEEP_FIXTURES asks to keep them for a look.
    const std::string folder = RarFixture::UnixPath(fixture.Folder());
    if (std::getenv("QUILLET_KEEP_FIXTURES"))
        return;
    if (folder.find("/fixtures/") != std::string::npos)
        fixture.Shell(L"find " + RarFixture::Quote(Wide(folder)) +
                      L" -mindepth 1 -maxdepth 1 ! -name 'run*' -exec rm -rf {} +");
}

void HostileArchiveTest::ExpectProbesPass(const std::vector<ProbeCase>& cases)
{
    ProbeRun run;
    run.workFolder = Work(L"probe");
    run.anchor = anchor;
    ::CreateDirectoryW(run.workFolder.c_str(), nullptr);
    const std::vector<ProbeVerdict> verdicts = RunProbes(run, cases);
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(verdicts[i].outcome, ProbeOutcome::Passed) << cases[i].label << ": " << verdicts[i].detail;
        if (verdicts[i].outcome == ProbeOutcome::Passed)
            std::printf("PROBE\t%s\t%s\n", cases[i].label.c_str(), verdicts[i].detail.c_str());
    }
    std::fflush(stdout);
}

std::wstring HostileArchiveTest::Make(const std::wstring& name, const std::wstring& options, const std::wstring& files)
{
    return fixture.MakeArchive(name, options, files);
}

CMainFrame& HostileArchiveTest::Show(const std::wstring& archive)
{
    shown = std::make_unique<ShownMainFrame>();
    EXPECT_EQ(shown->Frame().OpenArchive(archive), 1);
    return shown->Frame();
}

int HostileArchiveTest::RowOf(const std::wstring& name) const
{
    const ArchiveCatalogue& catalogue = shown->Frame().Catalogue();
    for (int row = 0; row < catalogue.RowCount(); ++row) {
        const ArchiveEntry* entry = catalogue.EntryAtRow(row);
        const std::wstring last = entry ? entry->path.substr(entry->path.find_last_of(L'\\') + 1) : L"..";
        if (last == name)
            return row;
    }
    return -1;
}

void HostileArchiveTest::Activate(const std::wstring& name)
{
    const int row = RowOf(name);
    ASSERT_GE(row, 0) << "no row " << Utf8(name);
    // Selected first, as the double-click's own press leaves it.
    LVITEMW none = {};
    none.stateMask = LVIS_SELECTED;
    ::SendMessageW(shown->List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    LVITEMW selected = {};
    selected.stateMask = LVIS_SELECTED;
    selected.state = LVIS_SELECTED;
    ::SendMessageW(shown->List(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&selected));
    shown->Frame().ActivateRow(row);
}

void HostileArchiveTest::ExpectErrorBox(const std::wstring& text)
{
    driver->Expect(L"Error", [text](DialogDriver::Dialog& box) {
        EXPECT_EQ(box.MessageText(), text);
        box.Press(IDOK);
    });
}

void HostileArchiveTest::ExpectBoxes(const ShownBoxes& boxes)
{
    for (const ShownBox& box : boxes)
        ExpectErrorBox(box.text);
}

void HostileArchiveTest::AnswerPassword(const std::wstring& password)
{
    driver->Expect(L"Enter password", [password](DialogDriver::Dialog& prompt) {
        if (password.empty()) {
            prompt.Press(IDCANCEL);
            return;
        }
        prompt.SetText(IDC_PASSWORD, password);
        prompt.Press(IDOK);
    });
}

std::wstring Repeat(wchar_t c, size_t count)
{
    return std::wstring(count, c);
}
