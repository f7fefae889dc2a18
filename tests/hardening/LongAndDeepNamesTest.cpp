// Names at and beyond the library's 1,023 characters, and 500 levels of folders:
// listed, browsed, extracted and opened whole, or refused whole, never cut.

#include "HostileTesting.h"
#include "RecordingShellOpener.h"

#include "extract/DlgProgress.h"

namespace {

class LongAndDeepNames : public HostileArchiveTest {
protected:
    LongAndDeepNames() { testTimeoutMs = 120000; }
};

std::string Narrow(const std::wstring& text)
{
    return Utf8(text);
}

std::wstring Backslashed(std::wstring path)
{
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

TEST_F(LongAndDeepNames, NamesBeyondTheLibrarysFieldAreRefusedWhole)
{
    // 1,023 characters fill the library's field but for its terminator: written whole.
    std::wstring full;
    for (int i = 0; i < 4; ++i)
        full += Repeat(static_cast<wchar_t>(L'k' + i), 250) + L"/";
    full += Repeat(L'n', 1023 - full.size() - 4) + L".txt";
    ASSERT_EQ(full.size(), 1023u);
    ASSERT_EQ(fixture.Shell(L"mkdir -p \"$(dirname " + full + L")\" && printf whole > " + full).exitCode, 0);
    // Longer names are stored by rar and read whole by the library, but reach the
    // program cut to the field: what lies beyond cannot be checked.
    fixture.WriteFile(L"beyond-a.txt", "hidden climb");
    fixture.WriteFile(L"beyond-b.txt", "too long to place");
    const std::wstring climb = Repeat(L'x', 1030) + L"/.. /.. /.. /escaped-beyond.txt";
    const std::wstring plain = Repeat(L'y', 1500) + L"/cut.txt";
    const std::wstring archive = Craft(L"long.rar", L"'*'", [&](rar5::Archive& a) {
        rar5::FileHeader* first = a.Find("beyond-a.txt");
        rar5::FileHeader* second = a.Find("beyond-b.txt");
        ASSERT_TRUE(first && second);
        first->name = Narrow(climb);
        second->name = Narrow(plain);
    });
    ExpectProbesPass({{archive, L"", "long names"}});

    CMainFrame& frame = Show(archive);
    const std::wstring destination = Work(L"dest") + L"\\" + Repeat(L'p', 200);
    ExpectErrorBox(L"2 entries were skipped because their names are unsafe.");
    EXPECT_EQ(RunExtractionJob(shown->JobInto(destination), frame.handle), IDCANCEL);
    const DiskTree written = ReadDiskTree(destination);
    EXPECT_EQ(written.count(Backslashed(full)), 1u);
    for (const auto& item : written) {
        EXPECT_EQ(item.first.find(L"escaped"), std::wstring::npos) << Narrow(item.first);
        EXPECT_EQ(item.first.find(L"yyyy"), std::wstring::npos) << Narrow(item.first);
    }
    EXPECT_EQ(written.at(Backslashed(full)), "whole");
    EXPECT_TRUE(driver->AllAnswered());
}

TEST_F(LongAndDeepNames, FiveHundredLevelsOfFolders)
{
    std::wstring deep;
    for (int i = 0; i < 500; ++i)
        deep += L"d/";
    ASSERT_EQ(fixture.Shell(L"mkdir -p " + deep + L" && printf bottom > " + deep + L"f.txt").exitCode, 0);
    const std::wstring archive = Make(L"deep.rar", L"-r", L"d");
    // Listed and extracted whole by the probe; browsed and opened here.
    ExpectProbesPass({{archive, L"", "500 levels"}});

    CMainFrame& frame = Show(archive);
    for (int level = 0; level < 500; ++level) {
        ASSERT_NO_FATAL_FAILURE(Activate(L"d")) << "level " << level;
        ASSERT_EQ(frame.Catalogue().folderStack.size(), static_cast<size_t>(level + 1));
    }
    EXPECT_EQ(shown->RowCount(), 2);  // ".." and f.txt
    RecordingShellOpener shell;
    ASSERT_NO_FATAL_FAILURE(Activate(L"f.txt"));
    ASSERT_EQ(shell.Calls().size(), 1u);
    const std::wstring opened = shell.Calls()[0].file;
    EXPECT_EQ(opened, temp + L"\\deep-quillet\\" + Backslashed(deep) + L"f.txt");
    EXPECT_EQ(ReadDiskTree(temp + L"\\deep-quillet")[Backslashed(deep) + L"f.txt"], "bottom");
    // Back up a few levels through "..": each view is the one left.
    for (int level = 500; level > 490; --level) {
        ASSERT_NO_FATAL_FAILURE(Activate(L".."));
        ASSERT_EQ(frame.Catalogue().folderStack.size(), static_cast<size_t>(level - 1));
        ASSERT_EQ(shown->RowCount(), 2);  // ".." and the folder below
    }
    EXPECT_TRUE(driver->AllAnswered());
}

}  // namespace
