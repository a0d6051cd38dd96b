// What no whole run shows: the Windows suffix, and a failed version query (wine's never fails).
#include <gtest/gtest.h>

#include <vector>

#include "interaction/messages.h"
#include "system/windows/command_line.h"

TEST(CommandLineFor, AddsTheSuffixOnlyWithoutADotAndQuotesWhatTheRulesWouldSplit) {
    EXPECT_EQ(sys::commandLineFor({"prog", "a", "b"}, ".exe"), "prog.exe a b");
    EXPECT_EQ(sys::commandLineFor({"..\\tools\\prog"}, ".exe"), "..\\tools\\prog");
    EXPECT_EQ(sys::commandLineFor({"my prog", "", "\"q\" r"}, ".exe"),
              "\"my prog.exe\" \"\" \"\\\"q\\\" r\"");
}

TEST(PlatformCheck, RefusesWhenTheVersionQueryFails) {
    EXPECT_EQ(platformRefusal(sys::Family::Unknown), IDS_VERSION_QUERY_FAILED);
}
