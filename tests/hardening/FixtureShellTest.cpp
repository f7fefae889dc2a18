// The Linux runs of the test fixture, as the hardening suite relies on them: a
// status file left in the fixture folder by an earlier run (when the folder
// held long paths that it could not remove) is not taken for the new command's.

#include "RarFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

TEST(FixtureShell, IgnoresAStatusLeftByAnEarlierRun)
{
    if (!RarFixture::Available())
        GTEST_SKIP() << "Linux programs cannot be run from here";
    RarFixture fixture(L"FixtureShell.stale");
    {
        std::ofstream stale(std::filesystem::path(fixture.Folder() + L"\\run1.status"), std::ios::trunc);
        stale << "7\n";
    }
    const ShellResult result = fixture.Shell(L"echo ran; exit 0");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "ran\n");
}
