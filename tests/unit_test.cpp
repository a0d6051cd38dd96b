// What no whole run shows: the Windows suffix, a failed version query (wine's never fails) and
// an interrupted console read on Windows (wine's console is not cut short).
#include <gtest/gtest.h>

#include <vector>

#include "capture/command_line.h"
#include "interaction/key.h"
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

// POSIX: a read aborted by a stop asks again. Windows: an interrupt cuts the read short (from
// Windows 8 on it may end it empty) while its handler ends the process: the read is made again,
// and nothing touches the mode the handler puts back.
TEST(ConsoleRead, AStopAsksAgainAndAnInterruptReadsAgain) {
    for (const bool stopsAbandonReads : {true, false}) {
        EXPECT_EQ(judgeConsoleRead(TRUE, 1, 0, stopsAbandonReads), KeyRead::Done);
        EXPECT_EQ(judgeConsoleRead(FALSE, 0, ERROR_BROKEN_PIPE, stopsAbandonReads), KeyRead::Done);
    }
    EXPECT_EQ(judgeConsoleRead(FALSE, 0, ERROR_OPERATION_ABORTED, true), KeyRead::AskAgain);
    EXPECT_EQ(judgeConsoleRead(TRUE, 0, 0, true), KeyRead::Done);
    EXPECT_EQ(judgeConsoleRead(FALSE, 0, ERROR_OPERATION_ABORTED, false), KeyRead::ReadAgain);
    EXPECT_EQ(judgeConsoleRead(TRUE, 0, 0, false), KeyRead::ReadAgain);
}
