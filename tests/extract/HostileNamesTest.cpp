// Names that could leave the destination, and names and destinations longer than
// MAX_PATH: nothing is written outside, nothing is cut.

#include "ExtractTesting.h"
#include "RarCraft.h"

#include "extract/ExtractionPaths.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class HostileNames : public RarFixtureTest {
protected:
    void Open(const std::wstring& path)
    {
        ASSERT_FALSE(path.empty());
        ASSERT_TRUE(OpenCatalogue(catalogue, path));
        list = std::make_unique<TestList>(catalogue);
    }

    INT_PTR Run(const std::wstring& destination)
    {
        return RunJobShowingAll(MakeJob(catalogue, list->List(), destination), list->Owner());
    }

    DialogDriver driver;
    ArchiveCatalogue catalogue;
    std::unique_ptr<TestList> list;
    ProgressRecorder shown;
};

TEST_F(HostileNames, UnsafeNamesAreSkippedAndCounted)
{
    // As stored (RAR5 names use "/"); the library shows them with "\".
    const std::vector<std::string> unsafe = {
        ".. /../esc1.txt",       // ".." behind a blank
        "ok/... /esc2.txt",      // dots and blanks only
        "/abs/esc3.txt",         // rooted
        "//srv/share/esc4.txt",  // UNC
        "ctl\x01"
        "esc5.txt",  // control character
    };
    std::vector<std::string> standIns;
    for (size_t i = 0; i < unsafe.size(); ++i) {
        standIns.push_back(std::string(unsafe[i].size() - 4, static_cast<char>('a' + i)) + ".txt");
        fixture.WriteFile(RarFixture::FromUtf8(standIns.back()), "escaped " + std::to_string(i));
    }
    fixture.WriteFile(L"safe.txt", "safe");
    const std::wstring archive = fixture.MakeArchive(L"crafted.rar", L"-qo-");
    std::string error;
    ASSERT_TRUE(rar5::EditArchive(
        archive,
        [&](rar5::Archive& a) {
            for (size_t i = 0; i < unsafe.size(); ++i) {
                rar5::FileHeader* header = a.Find(standIns[i]);
                ASSERT_NE(header, nullptr);
                header->name = unsafe[i];
            }
        },
        &error))
        << error;
    ASSERT_NO_FATAL_FAILURE(Open(archive));

    const std::wstring destination = fixture.Folder() + L"\\deep\\dest";
    ExpectErrorBox(driver, L"5 entries were skipped because their names are unsafe.");
    EXPECT_EQ(Run(destination), IDCANCEL);
    EXPECT_EQ(TreePaths(ReadTree(destination)), (Names{L"safe.txt"}));
    EXPECT_EQ(shown.NamesShownAs(L"Skipping file").size(), 5u);
    // Nowhere else either: not beside the destination, not at a root.
    for (const auto& item : ReadTree(fixture.Folder()))
        EXPECT_EQ(item.first.find(L"esc"), std::wstring::npos) << RarFixture::ToUtf8(item.first);
    EXPECT_FALSE(PathExists(L"C:\\abs\\esc3.txt"));
    EXPECT_FALSE(PathExists(L"Z:\\abs\\esc3.txt"));
    EXPECT_TRUE(driver.AllAnswered());
}

// Entry names up to the library's 1023 characters below destinations past MAX_PATH.
TEST_F(HostileNames, LongNamesAndDestinationsAreWrittenWhole)
{
    std::string longName;
    for (int i = 0; i < 4; ++i)
        longName += std::string(250, static_cast<char>('k' + i)) + "/";
    longName += "long-file-name1.txt";
    ASSERT_EQ(longName.size(), 1023u);
    ASSERT_EQ(fixture
                  .Shell(L"mkdir -p \"$(dirname " + RarFixture::FromUtf8(longName) + L")\" && printf long > " +
                         RarFixture::FromUtf8(longName))
                  .exitCode,
              0);
    ASSERT_NO_FATAL_FAILURE(Open(fixture.MakeArchive(L"long.rar", L"-r")));

    std::wstring windowsName = RarFixture::FromUtf8(longName);
    for (wchar_t& c : windowsName) {
        if (c == L'/')
            c = L'\\';
    }
    std::wstring longDestination = fixture.Folder() + L"\\dest";
    for (int i = 0; i < 3; ++i)
        longDestination += L"\\" + std::wstring(150, static_cast<wchar_t>(L'p' + i));
    for (const std::wstring& destination : {fixture.Folder() + L"\\dest", longDestination}) {
        EXPECT_EQ(Run(destination), IDOK);
        EXPECT_EQ(ReadWholeFileAt(destination + L"\\" + windowsName), "long");
    }
    const Names extracted = shown.NamesShownAs(L"Extracting file");
    EXPECT_NE(std::find(extracted.begin(), extracted.end(), windowsName), extracted.end());

    // Past what the library can hold: refused whole instead of written under a cut
    // name; the folders above it that still fit are made.
    std::wstring tooLong = longDestination;
    while (tooLong.size() < 1100)
        tooLong += L"\\" + std::wstring(100, L'z');
    Names boxes;
    CollectErrorBoxes(driver, boxes, 2);
    EXPECT_EQ(Run(tooLong), IDCANCEL);
    EXPECT_EQ(TreePaths(ReadTree(tooLong)).size(), 3u);
    for (const auto& item : ReadTree(tooLong))
        EXPECT_TRUE(item.second.isFolder);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], L"File create error.");
    EXPECT_EQ(boxes[1].rfind(L"2 entries could not be extracted:\n", 0), 0u);
    EXPECT_NE(boxes[1].find(L"\\long-file-name1.txt: File create error."), std::wstring::npos);
    EXPECT_TRUE(driver.AllAnswered());
}

// An archive kept deeper than MAX_PATH is listed and extracted as any other.
TEST_F(HostileNames, ArchiveBeyondMaxPathIsListedAndExtracted)
{
    fixture.WriteFile(L"inside\\deep.txt", "deep");
    const std::wstring made = fixture.MakeArchive(L"deep.rar", L"-r");
    ASSERT_FALSE(made.empty());
    std::wstring folder = fixture.Folder() + L"\\kept";
    for (int i = 0; i < 3; ++i)
        folder += L"\\" + std::wstring(120, static_cast<wchar_t>(L'a' + i));
    const std::wstring archive = folder + L"\\deep.rar";
    ASSERT_GT(archive.size(), static_cast<size_t>(MAX_PATH));
    ASSERT_EQ(fixture
                  .Shell(L"mkdir -p " + RarFixture::Quote(RarFixture::FromUtf8(RarFixture::UnixPath(folder))) +
                         L" && mv " + RarFixture::Quote(RarFixture::FromUtf8(RarFixture::UnixPath(made))) + L" " +
                         RarFixture::Quote(RarFixture::FromUtf8(RarFixture::UnixPath(folder))))
                  .exitCode,
              0);
    ASSERT_NO_FATAL_FAILURE(Open(archive));
    const std::wstring destination = fixture.Folder() + L"\\dest";
    EXPECT_EQ(Run(destination), IDOK);
    EXPECT_EQ(ReadWholeFileAt(destination + L"\\inside\\deep.txt"), "deep");
    EXPECT_TRUE(driver.AllAnswered());
}

}  // namespace
