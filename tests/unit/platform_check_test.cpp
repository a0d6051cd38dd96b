#include "interaction/platform_check.h"

#include <gtest/gtest.h>

#include "interaction/messages.h"

TEST(PlatformCheck, AcceptsTheWindows95AndNtFamiliesOnly) {
    EXPECT_EQ(platformRefusal(TRUE, VER_PLATFORM_WIN32_WINDOWS), 0u);
    EXPECT_EQ(platformRefusal(TRUE, VER_PLATFORM_WIN32_NT), 0u);
    EXPECT_EQ(platformRefusal(TRUE, 0), IDS_PLATFORM_UNSUPPORTED) << "Win32s";
    EXPECT_EQ(platformRefusal(TRUE, 3), IDS_PLATFORM_UNSUPPORTED) << "Windows CE";
    EXPECT_EQ(platformRefusal(FALSE, VER_PLATFORM_WIN32_NT), IDS_VERSION_QUERY_FAILED);
}
