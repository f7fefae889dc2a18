#include "app/CommandLine.h"

#include <gtest/gtest.h>

TEST(CommandLine, OpensOnlyTheFirstPathAfterAnExactDashO)
{
    EXPECT_EQ(L"C:\\a.rar", ArchiveFromCommandLine(L"-o C:\\a.rar").value_or(L"none"));
    EXPECT_EQ(L"C:\\My Archives\\b c.rar",
              ArchiveFromCommandLine(L"-o \"C:\\My Archives\\b c.rar\"").value_or(L"none"));
    EXPECT_EQ(L"first.rar", ArchiveFromCommandLine(L"-o first.rar second.rar").value_or(L"none"));
}

TEST(CommandLine, IgnoresEverythingElse)
{
    for (const wchar_t* line :
         {L"", L"-o", L"-O a.rar", L"/o a.rar", L"a.rar", L"-open a.rar", L"a.rar -o b.rar", L"  "}) {
        EXPECT_FALSE(ArchiveFromCommandLine(line).has_value()) << line;
    }
    EXPECT_FALSE(ArchiveFromCommandLine(nullptr).has_value());
}
