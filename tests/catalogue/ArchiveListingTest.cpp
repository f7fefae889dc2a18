// Listing archives that rar makes at test time, through the real library.

#include "CatalogueTesting.h"
#include "DialogDriver.h"
#include "RarCraft.h"
#include "RarFixture.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

class ArchiveListing : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!RarFixture::Available())
            GTEST_SKIP() << "rar cannot be run from here";
    }

    // Every box that shows up must have been expected: the driver cancels and
    // reports any other.
    void ExpectErrorBox(const std::wstring& message)
    {
        driver.Expect(L"Error", [message](DialogDriver::Dialog& box) {
            EXPECT_EQ(box.MessageText(), message);
            box.Press(IDOK);
        });
    }

    RarFixture fixture;
    DialogDriver driver;
    ArchiveCatalogue catalogue;
};

TEST_F(ArchiveListing, NestedFoldersWithHeadersNestEntries)
{
    fixture.WriteFile(L"docs\\img\\a.png", "png");
    fixture.WriteFile(L"docs\\b.txt", "bee");
    fixture.WriteFile(L"readme.txt", "read me");
    const std::wstring archive = fixture.MakeArchive(L"nested.rar");

    const OpenOutcome outcome = OpenIntoCatalogue(catalogue, archive);
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.codes.stopCode, ERAR_END_ARCHIVE);
    EXPECT_EQ(catalogue.archivePath, archive);
    EXPECT_EQ(RowNames(catalogue), (Names{L"docs", L"readme.txt"}));
    EXPECT_EQ(catalogue.totalSize, 3u + 3u + 7u);

    ASSERT_TRUE(EnterFolder(catalogue, L"docs"));
    EXPECT_EQ(RowNames(catalogue), (Names{L"..", L"img", L"b.txt"}));
    ASSERT_TRUE(EnterFolder(catalogue, L"img"));
    EXPECT_EQ(RowNames(catalogue), (Names{L"..", L"a.png"}));
    EXPECT_EQ(catalogue.EntryAtRow(1)->path, L"docs\\img\\a.png");
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(ArchiveListing, WithoutFolderHeadersEverythingStandsAtTheTop)
{
    fixture.WriteFile(L"photos\\a.jpg", "a");
    fixture.WriteFile(L"photos\\b.jpg", "b");
    fixture.WriteFile(L"docs\\z\\a.txt", "z");
    fixture.WriteFile(L"docs\\b.txt", "b");
    const std::wstring archive = fixture.MakeArchive(L"flat.rar", L"-r -ed");

    EXPECT_EQ(OpenIntoCatalogue(catalogue, archive).result, 1);
    // Ordered by full path although only the last component shows.
    EXPECT_EQ(RowNames(catalogue), (Names{L"b.txt", L"a.txt", L"a.jpg", L"b.jpg"}));
    for (int row = 0; row < catalogue.RowCount(); ++row)
        EXPECT_FALSE(catalogue.EntryAtRow(row)->isFolder);
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(ArchiveListing, EntriesGoToTheNearestFolderWithAHeader)
{
    fixture.MakeFolder(L"a");
    fixture.WriteFile(L"x\\c.txt", "c");
    fixture.MakeFolder(L"Docs");
    fixture.WriteFile(L"y\\x.txt", "x");
    fixture.WriteFile(L"setup\\readme.txt", "r");
    fixture.WriteFile(L"setup.exe", "exe");
    const std::wstring archive = fixture.MakeArchive(L"nearest.rar", L"-r", L"a Docs setup setup.exe");
    const std::wstring quoted = RarFixture::Quote(RarFixture::FromUtf8(RarFixture::UnixPath(archive)));
    ASSERT_EQ(fixture
                  .Shell(L"rar a -idq -ep -apa/b " + quoted +
                         L" x/c.txt && "
                         L"rar a -idq -ep -apdocs " +
                         quoted + L" y/x.txt")
                  .exitCode,
              0);

    EXPECT_EQ(OpenIntoCatalogue(catalogue, archive).result, 1);
    EXPECT_EQ(RowNames(catalogue), (Names{L"Docs", L"a", L"setup", L"setup.exe"}));

    ASSERT_TRUE(EnterFolder(catalogue, L"a"));
    EXPECT_EQ(RowNames(catalogue), (Names{L"..", L"c.txt"}));
    catalogue.LeaveFolder();

    ASSERT_TRUE(EnterFolder(catalogue, L"Docs"));  // letter case ignored: docs\x.txt is inside
    EXPECT_EQ(RowNames(catalogue), (Names{L"..", L"x.txt"}));
    catalogue.LeaveFolder();

    ASSERT_TRUE(EnterFolder(catalogue, L"setup"));  // setup.exe merely extends the name
    EXPECT_EQ(RowNames(catalogue), (Names{L"..", L"readme.txt"}));
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(ArchiveListing, EmptyArchiveOpensWithNoRows)
{
    fixture.WriteFile(L"only.txt", "x");
    const std::wstring archive = fixture.MakeArchive(L"empty.rar", L"-qo-");
    std::string error;
    ASSERT_TRUE(rar5::EditArchive(
        archive, [](rar5::Archive& a) { a.RemoveFile(0); }, &error))
        << error;

    const OpenOutcome outcome = OpenIntoCatalogue(catalogue, archive);
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.codes.stopCode, ERAR_END_ARCHIVE);
    EXPECT_EQ(catalogue.RowCount(), 0);
    EXPECT_EQ(catalogue.archivePath, archive);
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(ArchiveListing, EncryptedHeadersAskOnceAtOpen)
{
    fixture.WriteFile(L"secret\\plan.txt", "plan");
    const std::wstring archive = fixture.MakeArchive(L"locked.rar", L"-r -hpswordfish");
    CountingPassword typed{L"swordfish"};

    const OpenOutcome outcome = OpenIntoCatalogue(catalogue, archive, typed.Request());
    EXPECT_EQ(typed.asked, 1);
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.codes.stopCode, ERAR_END_ARCHIVE);
    EXPECT_EQ(RowNames(catalogue), (Names{L"secret"}));
    ASSERT_TRUE(EnterFolder(catalogue, L"secret"));
    EXPECT_EQ(RowNames(catalogue), (Names{L"..", L"plan.txt"}));
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(ArchiveListing, DeclinedOrWrongPasswordFailsTheOpen)
{
    fixture.WriteFile(L"plan.txt", "plan");
    const std::wstring archive = fixture.MakeArchive(L"locked.rar", L"-hpswordfish");

    // Declined: the user knows why, no box.
    OpenOutcome outcome = OpenIntoCatalogue(catalogue, archive, [](std::wstring&) { return false; });
    EXPECT_EQ(outcome.result, -1);
    EXPECT_EQ(outcome.codes.openResult, ERAR_MISSING_PASSWORD);
    EXPECT_TRUE(outcome.codes.passwordDeclined);
    EXPECT_TRUE(catalogue.archivePath.empty());
    EXPECT_TRUE(driver.AllAnswered());

    ExpectErrorBox(L"Entered password is invalid.");
    CountingPassword wrong{L"guess"};
    outcome = OpenIntoCatalogue(catalogue, archive, wrong.Request());
    EXPECT_EQ(outcome.result, -1);
    EXPECT_EQ(outcome.codes.openResult, ERAR_BAD_PASSWORD);
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(ArchiveListing, FailedOpenKeepsTheCatalogueShownBefore)
{
    fixture.WriteFile(L"kept.txt", "kept");
    fixture.WriteFile(L"notes.rar", "These are notes, not an archive.");
    const std::wstring archive = fixture.MakeArchive(L"good.rar", L"", L"kept.txt");
    ASSERT_EQ(OpenIntoCatalogue(catalogue, archive).result, 1);

    ExpectErrorBox(L"Bad archive.");
    const OpenOutcome outcome = OpenIntoCatalogue(catalogue, fixture.InputPath(L"notes.rar"));
    EXPECT_EQ(outcome.result, -1);
    EXPECT_EQ(outcome.codes.openResult, ERAR_BAD_ARCHIVE);
    EXPECT_EQ(catalogue.archivePath, archive);
    EXPECT_EQ(RowNames(catalogue), (Names{L"kept.txt"}));
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(ArchiveListing, MissingFileIsAVolumeOpenError)
{
    ExpectErrorBox(L"Volume open error.");
    const OpenOutcome outcome = OpenIntoCatalogue(catalogue, fixture.OutputPath(L"absent.rar"));
    EXPECT_EQ(outcome.codes.openResult, ERAR_EOPEN);
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(ArchiveListing, DamageAfterTheTenthEntryShowsOneBoxThenTenEntries)
{
    for (int i = 1; i <= 12; ++i) {
        wchar_t name[16];
        swprintf(name, 16, L"f%02d.txt", i);
        fixture.WriteFile(name, "data");
    }
    const std::wstring archive = fixture.MakeArchive(L"damaged.rar", L"-qo-");
    std::string error;
    Names firstTen;
    ASSERT_TRUE(rar5::EditArchive(
        archive,
        [&firstTen](rar5::Archive& a) {
            for (size_t i = 0; i < 10; ++i)
                firstTen.push_back(RarFixture::FromUtf8(a.Files().at(i).name));
            a.Files().at(10).damage = rar5::Damage::ZeroSize;
        },
        &error))
        << error;
    std::sort(firstTen.begin(), firstTen.end());
    ExpectErrorBox(L"File header broken.");

    const OpenOutcome outcome = OpenIntoCatalogue(catalogue, archive);
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.codes.stopCode, HEADER_BROKEN);
    EXPECT_EQ(RowNames(catalogue), firstTen);
    EXPECT_TRUE(driver.AllAnswered());
}

// Data that does not compress, so that a volume set gets several volumes.
std::string Noise(size_t size)
{
    std::string noise(size, '\0');
    unsigned state = 12345;
    for (char& c : noise) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    return noise;
}

TEST_F(ArchiveListing, EntrySplitAcrossVolumesIsListedOnce)
{
    fixture.WriteFile(L"noise.bin", Noise(60000));
    fixture.WriteFile(L"after.txt", "after");
    ASSERT_FALSE(fixture.MakeArchive(L"set.rar", L"-m0 -v20k", L"noise.bin after.txt").empty());

    const OpenOutcome outcome = OpenIntoCatalogue(catalogue, fixture.OutputPath(L"set.part1.rar"));
    EXPECT_EQ(outcome.codes.stopCode, ERAR_END_ARCHIVE);
    EXPECT_EQ(RowNames(catalogue), (Names{L"after.txt", L"noise.bin"}));
    EXPECT_EQ(catalogue.totalSize, 60005u);
    EXPECT_TRUE(driver.AllAnswered());
}

// Text that compresses to about a third, so that a solid set of a few files still
// spans several small volumes.
std::string Numbers(size_t size, unsigned seed)
{
    std::string text;
    while (text.size() < size) {
        seed = seed * 1103515245u + 12345u;
        text += std::to_string((seed >> 16) % 100000) + (seed % 7 == 0 ? "\n" : " ");
    }
    return text;
}

// Listing reads headers only: a solid archive is not unpacked to reach the next
// header, so its data's password is never needed and a later volume of a solid set
// lists cleanly (unpacking cannot start there).
TEST_F(ArchiveListing, SolidArchivesListFromTheirHeadersAlone)
{
    Names six;
    for (unsigned i = 1; i <= 6; ++i) {
        six.push_back(L"part" + std::to_wstring(i) + L".txt");
        fixture.WriteFile(six.back(), Numbers(30000, i));
    }
    CountingPassword unused{L"secret"};
    const OpenOutcome dataLocked =
        OpenIntoCatalogue(catalogue, fixture.MakeArchive(L"data.rar", L"-s -psecret"), unused.Request());
    EXPECT_EQ(unused.asked, 0);
    EXPECT_EQ(dataLocked.codes.stopCode, ERAR_END_ARCHIVE);
    EXPECT_EQ(RowNames(catalogue), six);

    CountingPassword typed{L"secret"};
    const OpenOutcome namesLocked =
        OpenIntoCatalogue(catalogue, fixture.MakeArchive(L"names.rar", L"-s -hpsecret"), typed.Request());
    EXPECT_EQ(typed.asked, 1);
    EXPECT_EQ(namesLocked.codes.stopCode, ERAR_END_ARCHIVE);
    EXPECT_EQ(RowNames(catalogue), six);

    ASSERT_FALSE(fixture.MakeArchive(L"set.rar", L"-s -v20k", L"'*.txt'").empty());
    ASSERT_NE(GetFileAttributesW(fixture.OutputPath(L"set.part03.rar").c_str()), INVALID_FILE_ATTRIBUTES);
    for (const wchar_t* volume : {L"set.part01.rar", L"set.part02.rar"}) {
        SCOPED_TRACE(volume);
        const ShellResult reference = fixture.Shell(
            L"unrar lb -v " +
            RarFixture::Quote(RarFixture::FromUtf8(RarFixture::UnixPath(fixture.OutputPath(volume)))) + L" | sort -u");
        ASSERT_EQ(reference.exitCode, 0) << reference.output;
        Names expected;
        std::stringstream lines(reference.output);
        for (std::string line; std::getline(lines, line);)
            expected.push_back(RarFixture::FromUtf8(line));
        const OpenOutcome outcome = OpenIntoCatalogue(catalogue, fixture.OutputPath(volume));
        EXPECT_EQ(outcome.codes.stopCode, ERAR_END_ARCHIVE);
        EXPECT_EQ(RowNames(catalogue), expected);
    }
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(ArchiveListing, MissingVolumeEndsWithAVolumeOpenError)
{
    fixture.WriteFile(L"noise.bin", Noise(60000));
    fixture.WriteFile(L"after.txt", "after");
    ASSERT_FALSE(fixture.MakeArchive(L"set.rar", L"-m0 -v20k", L"noise.bin after.txt").empty());
    ASSERT_TRUE(::DeleteFileW(fixture.OutputPath(L"set.part2.rar").c_str()));
    ExpectErrorBox(L"Volume open error.");

    const OpenOutcome outcome = OpenIntoCatalogue(catalogue, fixture.OutputPath(L"set.part1.rar"));
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.codes.stopCode, ERAR_EOPEN);
    EXPECT_EQ(RowNames(catalogue), (Names{L"noise.bin"}));
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(ArchiveListing, UnicodeNamesArriveWhole)
{
    const std::wstring folder = L"\u00DCbersicht";
    const std::wstring file = L"\u65E5\u672C\u8A9E \U0001F600.txt";
    fixture.WriteFile(folder + L"\\" + file, "unicode");
    fixture.WriteFile(L"\u0391\u03B8\u03AE\u03BD\u03B1.txt", "greek");
    const std::wstring archive = fixture.MakeArchive(L"unicode.rar");

    EXPECT_EQ(OpenIntoCatalogue(catalogue, archive).result, 1);
    EXPECT_EQ(RowNames(catalogue), (Names{folder, L"\u0391\u03B8\u03AE\u03BD\u03B1.txt"}));
    ASSERT_TRUE(EnterFolder(catalogue, folder));
    EXPECT_EQ(catalogue.EntryAtRow(1)->path, folder + L"\\" + file);
    EXPECT_EQ(Cell(catalogue, 1, kColumnName), file);
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(ArchiveListing, SizeAboveFourGibibytesShowsInPlainDigits)
{
    fixture.WriteFile(L"huge.bin", "small on disk");
    const std::wstring archive = fixture.MakeArchive(L"huge.rar", L"-qo- -m0");
    ASSERT_TRUE(rar5::EditArchive(archive, [](rar5::Archive& a) { a.Files().at(0).unpackedSize = 5000000000ull; }));

    EXPECT_EQ(OpenIntoCatalogue(catalogue, archive).result, 1);
    EXPECT_EQ(catalogue.EntryAtRow(0)->unpackedSize, 5000000000ull);
    EXPECT_EQ(Cell(catalogue, 0, kColumnSize), L"5000000000");
    EXPECT_EQ(catalogue.totalSize, 5000000000ull);
    EXPECT_TRUE(driver.AllAnswered());
}

// The header's directory flag decides, whatever FileAttr holds: a Windows attribute
// with extra bits or a Unix mode.
TEST_F(ArchiveListing, FolderFlagDecidesWhateverTheAttributes)
{
    const char* const folders[] = {"w16", "w17", "w48", "unixdir", "noflag16", "noflagunix"};
    for (const char* name : folders)
        fixture.WriteFile(RarFixture::FromUtf8(name) + L"\\inner.txt", "in");
    const std::wstring archive = fixture.MakeArchive(L"attributes.rar", L"-r -qo-");
    std::string error;
    ASSERT_TRUE(rar5::EditArchive(
        archive,
        [](rar5::Archive& a) {
            auto set = [&a](const char* name, std::uint64_t host, std::uint64_t attributes, bool directory) {
                rar5::FileHeader* header = a.Find(name);
                ASSERT_NE(header, nullptr) << name;
                header->hostOs = host;
                header->attributes = attributes;
                header->SetDirectory(directory);
            };
            set("w16", rar5::kHostWindows, 16, true);
            set("w17", rar5::kHostWindows, 17, true);
            set("w48", rar5::kHostWindows, 48, true);
            set("unixdir", rar5::kHostUnix, 040755, true);
            set("noflag16", rar5::kHostWindows, 16, false);
            set("noflagunix", rar5::kHostUnix, 040755, false);
        },
        &error))
        << error;

    EXPECT_EQ(OpenIntoCatalogue(catalogue, archive).result, 1);
    // Folders first, then files: the flagless ones are files beside their contents.
    EXPECT_EQ(RowNames(catalogue),
              (Names{L"unixdir", L"w16", L"w17", L"w48", L"noflag16", L"inner.txt", L"noflagunix", L"inner.txt"}));
    for (const wchar_t* name : {L"unixdir", L"w16", L"w17", L"w48"}) {
        ASSERT_TRUE(EnterFolder(catalogue, name)) << name;
        EXPECT_EQ(RowNames(catalogue), (Names{L"..", L"inner.txt"}));
        catalogue.LeaveFolder();
    }
    int image = -1;
    EXPECT_EQ(Cell(catalogue, RowNamed(catalogue, L"noflag16"), kColumnType, &image), L"File");
    EXPECT_EQ(image, kFileImage);
    EXPECT_TRUE(driver.AllAnswered());
}

}  // namespace
