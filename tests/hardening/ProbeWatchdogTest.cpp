// The probe's own watchdog: a case that hangs has its child killed and counts as
// a hang, a case that crashes its child counts as a crash, and the cases after
// either still run in a new child.

#include "ArchiveProbe.h"
#include "HardeningTesting.h"
#include "RarFixture.h"

#include <gtest/gtest.h>

TEST(ProbeWatchdog, SeesAHangAndACrashAndGoesOn)
{
    if (!RarFixture::Available())
        GTEST_SKIP() << "rar cannot be run from here";
    RarFixture fixture;
    fixture.WriteFile(L"a.txt", "intact");
    const std::wstring intact = fixture.MakeArchive(L"intact.rar", L"", L"a.txt");
    ASSERT_FALSE(intact.empty());
    ProbeRun run;
    run.workFolder = fixture.Folder() + L"\\work";
    run.anchor = intact;
    run.perArchiveTimeoutMs = 3000;
    ::CreateDirectoryW(run.workFolder.c_str(), nullptr);
    const std::vector<ProbeVerdict> verdicts = RunProbes(run, {{intact, L"", "before", true},
                                                               {kProbeHangs, L"", "hangs", true},
                                                               {kProbeCrashes, L"", "crashes", true},
                                                               {intact, L"", "after", true}});
    ASSERT_EQ(verdicts.size(), 4u);
    EXPECT_EQ(verdicts[0].outcome, ProbeOutcome::Passed) << verdicts[0].detail;
    EXPECT_EQ(verdicts[1].outcome, ProbeOutcome::Hung) << verdicts[1].detail;
    EXPECT_EQ(verdicts[2].outcome, ProbeOutcome::Crashed) << verdicts[2].detail;
    EXPECT_EQ(verdicts[3].outcome, ProbeOutcome::Passed) << verdicts[3].detail;
}
