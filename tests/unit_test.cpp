// What no whole run on this platform shows: the Windows suffix, and the families refused.
#include <gtest/gtest.h>

#include <vector>

#include "capture/command_line.h"
#include "interaction/messages.h"
#include "interaction/platform_check.h"

std::string built(std::vector<const char*> args) {
    return commandLineFor(static_cast<int>(args.size()), args.data(), ".exe");
}

TEST(BuildCommandLine, AddsTheSuffixOnlyWithoutADotAndEndsEachElementWithOneBlank) {
    EXPECT_EQ(built({"prog", "a", "b"}), "prog.exe a b ");
    EXPECT_EQ(built({"..\\tools\\prog"}), "..\\tools\\prog ");
    EXPECT_EQ(built({"my prog", "", "\"q\""}), "my prog.exe  \"q\" ");
}

TEST(PlatformCheck, AcceptsTheWindows95AndNtFamiliesOnly) {
    EXPECT_EQ(platformRefusal(TRUE, VER_PLATFORM_WIN32_WINDOWS), 0u);
    EXPECT_EQ(platformRefusal(TRUE, VER_PLATFORM_WIN32_NT), 0u);
    EXPECT_EQ(platformRefusal(TRUE, 0), IDS_PLATFORM_UNSUPPORTED) << "Win32s";
    EXPECT_EQ(platformRefusal(TRUE, 3), IDS_PLATFORM_UNSUPPORTED) << "Windows CE";
    EXPECT_EQ(platformRefusal(FALSE, VER_PLATFORM_WIN32_NT), IDS_VERSION_QUERY_FAILED);
}
