// What no whole run shows: the Windows suffix, and a failed version query (wine's never fails).
#include <gtest/gtest.h>

#include <vector>

#include "capture/command_line.h"
#include "interaction/messages.h"
#include "interaction/platform_check.h"

std::string built(std::vector<const char*> args) {
    return commandLineFor(static_cast<int>(args.size()), args.data(), ".exe");
}

TEST(CommandLineFor, AddsTheSuffixOnlyWithoutADotAndQuotesWhatTheRulesWouldSplit) {
    EXPECT_EQ(built({"prog", "a", "b"}), "prog.exe a b");
    EXPECT_EQ(built({"..\\tools\\prog"}), "..\\tools\\prog");
    EXPECT_EQ(built({"my prog", "", "\"q\" r"}), "\"my prog.exe\" \"\" \"\\\"q\\\" r\"");
}

TEST(PlatformCheck, RefusesWhenTheVersionQueryFails) {
    EXPECT_EQ(platformRefusal(FALSE, VER_PLATFORM_WIN32_NT), IDS_VERSION_QUERY_FAILED);
}
