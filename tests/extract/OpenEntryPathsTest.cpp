// The archive's temporary folder and the checks that keep what reaches the shell
// inside it.

#include "ExtractTesting.h"
#include "TemporaryFolderOverride.h"

#include "catalogue/ArchiveEntry.h"
#include "extract/ExtractionPaths.h"
#include "extract/OpenEntryPaths.h"
#include "framework/Handles.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class TemporaryFolder : public ::testing::Test {
protected:
    RarFixture fixture;
    const std::wstring temp = fixture.Folder() + L"\\temp";
    TemporaryFolderOverride useTemp{temp};
};

TEST_F(TemporaryFolder, IsTheArchiveFileNameWithoutItsExtensionBelowTheUserTemporaryFolder)
{
    EXPECT_EQ(TemporaryFolderFor(L"D:\\dl\\photos.rar"), temp + L"\\photos-quillet");
    EXPECT_EQ(TemporaryFolderFor(L"D:\\dl\\photos"), temp + L"\\photos-quillet");
    EXPECT_EQ(TemporaryFolderFor(L"D:\\dl\\set.part1.rar"), temp + L"\\set.part1-quillet");
    EXPECT_EQ(TemporaryFolderFor(L"D:\\my.folder\\photos"), temp + L"\\photos-quillet");
    // Only the file name counts: archives of one name share their folder.
    EXPECT_EQ(TemporaryFolderFor(L"C:\\a\\photos.rar"), TemporaryFolderFor(L"E:\\b\\c\\photos.rar"));
}

TEST_F(TemporaryFolder, LongArchivePathsAndNamesAreKeptWhole)
{
    const std::wstring longName(240, L'n');
    const std::wstring deep = L"D:\\" + std::wstring(300, L'd') + L"\\" + longName + L".rar";
    const std::wstring folder = TemporaryFolderFor(deep);
    EXPECT_EQ(folder, temp + L"\\" + longName + L"-quillet");
    EXPECT_GT(folder.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_EQ(TemporaryFolderName(deep), longName + L"-quillet");
}

TEST(OpenableNames, PlainNamesBelowFoldersAreOpenable)
{
    for (const wchar_t* name :
         {L"a.txt", L"docs\\readme.txt", L"v1.2\\notes", L"x.y z", L"COM10.txt", L"a..b.txt", L"...rc"})
        EXPECT_TRUE(IsOpenableEntryName(name)) << RarFixture::ToUtf8(name);
}

TEST(OpenableNames, NamesThatCouldLeadElsewhereAreRefused)
{
    const std::vector<std::wstring> refused = {
        L"",
        L"..\\..\\x.txt",  // climbs out
        L"docs\\..\\..\\x.txt",
        L".. \\x.txt",  // ".." behind a blank
        L"C:\\x.txt",   // a drive
        L"C:x.txt",
        L"\\x.txt",            // rooted
        L"\\\\srv\\share\\x",  // UNC
        L"a.txt:stream",       // an alternate data stream
        L"x.txt.",             // the shell would look for "x.txt"
        L"x.txt ",
        L"docs\\",  // no file name at all
        L"docs\\.",
        L"con",  // devices, in any folder and with any extension
        L"docs\\NUL.txt",
        L"con.d\\x.txt",
        L"aux .log",
        L"Com1",
        L"lpt9.doc",
        L"ctl\x01.txt",  // a control character
    };
    for (const std::wstring& name : refused)
        EXPECT_FALSE(IsOpenableEntryName(name)) << RarFixture::ToUtf8(name);
}

TEST(OpenableNames, LinksAreRefusedWhateverTheirNameAndSoAreFoldersHoldingThem)
{
    ArchiveEntry folder;
    folder.path = L"docs";
    folder.isFolder = true;
    auto file = std::make_unique<ArchiveEntry>();
    file->path = L"docs\\a.txt";
    folder.children.push_back(std::move(file));
    EXPECT_TRUE(IsOpenableEntry(folder));
    EXPECT_TRUE(IsOpenableTree(folder));

    auto link = std::make_unique<ArchiveEntry>();
    link->path = L"docs\\b.txt";
    link->isLink = true;
    EXPECT_FALSE(IsOpenableEntry(*link));
    folder.children.push_back(std::move(link));
    EXPECT_TRUE(IsOpenableEntry(folder));
    EXPECT_FALSE(IsOpenableTree(folder));
}

TEST(ConfinedTargets, AreTheNormalizedPathInsideTheFolderOrNothing)
{
    const std::wstring folder = L"C:\\temp\\photos-quillet";
    EXPECT_EQ(ConfinedTarget(folder, L"2013\\beach.jpg"), folder + L"\\2013\\beach.jpg");
    EXPECT_EQ(ConfinedTarget(folder + L"\\", L"a.txt"), folder + L"\\a.txt");
    EXPECT_EQ(ConfinedTarget(folder, L"..\\..\\Windows\\notepad.exe"), L"");
    EXPECT_EQ(ConfinedTarget(folder, L"a\\..\\..\\photos-quillet2\\x"), L"");
    EXPECT_EQ(ConfinedTarget(folder, L".."), L"");
    EXPECT_EQ(ConfinedTarget(folder, L"a\\.."), L"");  // the folder itself is not inside it
    EXPECT_EQ(ConfinedTarget(L"relative\\folder", L"a.txt"), L"");

    // Past MAX_PATH, whole.
    const std::wstring longName = std::wstring(200, L'a') + L"\\" + std::wstring(200, L'b') + L".txt";
    EXPECT_EQ(ConfinedTarget(folder, longName), folder + L"\\" + longName);
}

class WrittenInside : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CreateFolderWithParents(root + L"\\sub"));
        ASSERT_TRUE(CreateFolderWithParents(outside));
        fixture.WriteFile(L"T\\a.txt", "a");
        fixture.WriteFile(L"T\\sub\\b.txt", "b");
        fixture.WriteFile(L"T-other\\c.txt", "c");
    }

    // Links would keep the next run from clearing the fixture's folder.
    void TearDown() override { CleanFixture(fixture); }

    // A Unix symbolic link made by ln, as Wine shows them.
    void Link(const std::wstring& target, const std::wstring& link)
    {
        ASSERT_EQ(fixture
                      .Shell(L"ln -s " + RarFixture::Quote(RarFixture::FromUtf8(RarFixture::UnixPath(target))) + L" " +
                             RarFixture::Quote(RarFixture::FromUtf8(RarFixture::UnixPath(link))))
                      .exitCode,
                  0);
    }

    RarFixture fixture;
    const std::wstring root = fixture.InputPath(L"T");
    const std::wstring outside = fixture.InputPath(L"T-other");
};

TEST_F(WrittenInside, RegularFilesAndFoldersInsideCountAsTheKindAsked)
{
    EXPECT_TRUE(IsWrittenInside(root, root + L"\\a.txt", WrittenKind::File));
    EXPECT_TRUE(IsWrittenInside(root, root + L"\\sub\\b.txt", WrittenKind::File));
    EXPECT_TRUE(IsWrittenInside(root, root + L"\\sub", WrittenKind::Folder));
    EXPECT_FALSE(IsWrittenInside(root, root + L"\\sub", WrittenKind::File));
    EXPECT_FALSE(IsWrittenInside(root, root + L"\\a.txt", WrittenKind::Folder));
    EXPECT_FALSE(IsWrittenInside(root, root + L"\\missing.txt", WrittenKind::File));
    EXPECT_FALSE(IsWrittenInside(root, root, WrittenKind::Folder));
    // A sibling whose name merely starts like the folder's.
    EXPECT_FALSE(IsWrittenInside(root, outside + L"\\c.txt", WrittenKind::File));
    EXPECT_FALSE(IsWrittenInside(root, root + L"\\..\\T-other\\c.txt", WrittenKind::File));
}

TEST_F(WrittenInside, NothingReachedThroughALinkCounts)
{
    if (!RarFixture::Available())
        GTEST_SKIP() << "Linux programs cannot be run from here";
    ASSERT_NO_FATAL_FAILURE(Link(outside + L"\\c.txt", root + L"\\file-link.txt"));
    ASSERT_NO_FATAL_FAILURE(Link(outside, root + L"\\folder-link"));
    EXPECT_FALSE(IsWrittenInside(root, root + L"\\file-link.txt", WrittenKind::File));
    EXPECT_FALSE(IsWrittenInside(root, root + L"\\folder-link", WrittenKind::Folder));
    EXPECT_FALSE(IsWrittenInside(root, root + L"\\folder-link\\c.txt", WrittenKind::File));
}

TEST_F(WrittenInside, AFileWithOtherHardLinksIsNotTheOneWritten)
{
    ASSERT_TRUE(CreateHardLinkW((root + L"\\hard.txt").c_str(), (outside + L"\\c.txt").c_str(), nullptr));
    EXPECT_FALSE(IsWrittenInside(root, root + L"\\hard.txt", WrittenKind::File));
}

TEST_F(WrittenInside, LongPathsAreFollowedWhole)
{
    std::wstring deep = root;
    for (int i = 0; i < 3; ++i)
        deep += L"\\" + std::wstring(120, static_cast<wchar_t>(L'p' + i));
    ASSERT_TRUE(CreateFolderWithParents(deep));
    const std::wstring file = deep + L"\\long.txt";
    ASSERT_TRUE(UniqueKernelHandle(CreateFileW(PlatformPath(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                               FILE_ATTRIBUTE_NORMAL, nullptr)));
    EXPECT_TRUE(IsWrittenInside(root, file, WrittenKind::File));
    EXPECT_TRUE(IsWrittenInside(root, deep, WrittenKind::Folder));
}

}  // namespace
