// 200,000 entries in one folder, made once per run: the file header of an
// archive that rar wrote, repeated under new names with its CRC made right.
// Listed (also in the probe, against the library alone), browsed, a selection
// extracted and an entry opened. QUILLET_EXTRACT_ALL_ENTRIES=1 (the soak sets it)
// adds a job over all of them, cancelled after two minutes: under Wine each new
// file costs a look through the whole folder for the same name in any letter
// case, so that writing 200,000 files into one folder would take hours.

#include "HostileTesting.h"
#include "RecordingShellOpener.h"

#include "extract/DlgProgress.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace {

constexpr size_t kEntries = 200000;
constexpr UINT kCancelAfterMs = 120000;

void CALLBACK CancelTheJob(HWND, UINT, UINT_PTR, DWORD)
{
    HWND progress = ::FindWindowW(nullptr, L"Unpacking is in progress...");
    if (progress)
        ::PostMessageW(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

std::wstring EntryName(size_t index)
{
    wchar_t name[32];
    std::swprintf(name, 32, L"f%06u.txt", static_cast<unsigned>(index));
    return name;
}

class ManyEntries : public HostileArchiveTest {
protected:
    ManyEntries() { testTimeoutMs = std::getenv("QUILLET_EXTRACT_ALL_ENTRIES") ? 600000 : 170000; }

    // The archive of one empty file, its header repeated kEntries times.
    std::wstring MakeManyEntries()
    {
        fixture.WriteFile(L"many\\f.txt", "");
        const std::wstring one = Make(L"one.rar", L"-m0 -qo- -r", L"many");
        rar5::Archive archive;
        EXPECT_TRUE(archive.Load(one)) << archive.Error();
        rar5::FileHeader* file = archive.Find("many/f.txt");
        if (!file)
            return std::wstring();
        const std::vector<std::uint8_t> bytes = archive.Bytes();
        const std::vector<std::uint8_t> header = rar5::EncodeHeader(*file);
        const auto at = std::search(bytes.begin(), bytes.end(), header.begin(), header.end());
        EXPECT_NE(at, bytes.end());
        std::vector<std::uint8_t> many(bytes.begin(), at);
        rar5::FileHeader copy = *file;
        for (size_t i = 0; i < kEntries; ++i) {
            copy.name = "many/" + Utf8(EntryName(i));
            const std::vector<std::uint8_t> encoded = rar5::EncodeHeader(copy);
            many.insert(many.end(), encoded.begin(), encoded.end());
        }
        many.insert(many.end(), at + static_cast<std::ptrdiff_t>(header.size()), bytes.end());
        const std::wstring path = fixture.OutputPath(L"many.rar");
        EXPECT_TRUE(WriteTextFile(path, std::string(many.begin(), many.end())));
        return path;
    }
};

TEST_F(ManyEntries, TwoHundredThousandInOneFolder)
{
    const std::wstring archive = MakeManyEntries();
    ASSERT_FALSE(archive.empty());
    ExpectProbesPass({{archive, L"", "200,000 entries", false}});

    CMainFrame& frame = Show(archive);
    ASSERT_EQ(shown->RowCount(), 1);
    ASSERT_NO_FATAL_FAILURE(Activate(L"many"));
    ASSERT_EQ(shown->RowCount(), static_cast<int>(kEntries) + 1);

    // Three rows far apart, selected: only they are written.
    LVITEMW selected = {};
    selected.stateMask = LVIS_SELECTED;
    selected.state = LVIS_SELECTED;
    for (int row : {1, 100001, 200000})
        ::SendMessageW(shown->List(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&selected));
    const std::wstring destination = Work(L"dest");
    EXPECT_EQ(RunExtractionJob(shown->JobInto(destination, ExtractSelected), frame.handle), IDOK);
    DiskTree expected;
    expected[L"many\\"];
    for (size_t index : {0, 100000, 199999})
        expected[L"many\\" + EntryName(index)];
    EXPECT_EQ(ReadDiskTree(destination), expected);

    RecordingShellOpener shell;
    ASSERT_NO_FATAL_FAILURE(Activate(EntryName(150000)));
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].file, temp + L"\\many-quillet\\many\\" + EntryName(150000));

    if (std::getenv("QUILLET_EXTRACT_ALL_ENTRIES")) {
        const std::wstring all = Work(L"all");
        const UINT_PTR timer = ::SetTimer(nullptr, 0, kCancelAfterMs, &CancelTheJob);
        const DWORD start = ::GetTickCount();
        EXPECT_EQ(RunExtractionJob(shown->JobInto(all), frame.handle), IDCANCEL);
        ::KillTimer(nullptr, timer);
        const DiskTree written = ReadDiskTree(all);
        std::printf("ALL-ENTRIES\t%u files written in %lu ms, then cancelled\n",
                    static_cast<unsigned>(written.size() - 1), ::GetTickCount() - start);
        EXPECT_GT(written.size(), 1000u);
        EXPECT_EQ(StateOf(frame.Catalogue()).paths.size(), kEntries + 1);
    }
    EXPECT_TRUE(driver->AllAnswered());
}

}  // namespace
