// The child's half of the archive probe: it runs only when a hardening test
// starts this exe with a plan (see ArchiveProbe.h); in a normal run it skips.

#include "ArchiveProbe.h"

#include <gtest/gtest.h>

TEST(HardeningProbe, ListsAndExtractsThePlannedArchives)
{
    if (!IsProbeChild())
        GTEST_SKIP() << "runs only as the child of a hardening test";
    EXPECT_EQ(RunProbeChild(), 0);
}
