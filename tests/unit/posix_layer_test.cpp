// Properties of the POSIX layer that the utility's own behaviour does not show.
#include <fcntl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/posix/command_line_words.h"
#include "platform/posix/handles.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {
bool inheritable(HANDLE handle) {
    return (fcntl(posix::descriptorOf(handle), F_GETFD) & FD_CLOEXEC) == 0;
}
}  // namespace

TEST(PosixLayer, SplitsCommandLinesAsWindowsProgramsDo) {
    using posix::splitCommandLine;
    EXPECT_THAT(splitCommandLine("  prog \t a  b "), ElementsAre("prog", "a", "b"));
    EXPECT_THAT(splitCommandLine("\"my prog\" \"a b\"c \"\""), ElementsAre("my prog", "a bc", ""));
    EXPECT_THAT(splitCommandLine("p a\\b \\\\\\\"q \\\\\"x y\" \"in\"\"side\""),
                ElementsAre("p", "a\\b", "\\\"q", "\\x y", "in\"side"));
    EXPECT_THAT(splitCommandLine("C:\\dir\\\"x y\" z"), ElementsAre("C:\\dir\\x y", "z"))
        << "the program's name takes no backslash rules";
    EXPECT_THAT(splitCommandLine(" \t"), IsEmpty());
}

TEST(PosixLayer, PipesFollowTheInheritFlagsAndEndInABrokenPipe) {
    for (const BOOL inherit : {FALSE, TRUE}) {
        SECURITY_ATTRIBUTES security{sizeof security, nullptr, inherit};
        HANDLE read = nullptr, write = nullptr, copy = nullptr;
        ASSERT_TRUE(CreatePipe(&read, &write, &security, 0));
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), write, GetCurrentProcess(), &copy, 0,
                                    !inherit, DUPLICATE_SAME_ACCESS));
        for (HANDLE handle : {read, write, copy}) EXPECT_NE(handle, INVALID_HANDLE_VALUE);
        EXPECT_EQ(inheritable(read), inherit == TRUE);
        EXPECT_EQ(inheritable(write), inherit == TRUE);
        EXPECT_EQ(inheritable(copy), inherit == FALSE);

        DWORD count = 0;
        ASSERT_TRUE(WriteFile(copy, "ab", 2, &count, nullptr));
        CloseHandle(write);
        CloseHandle(copy);
        char bytes[8];
        ASSERT_TRUE(ReadFile(read, bytes, sizeof bytes, &count, nullptr));
        EXPECT_EQ(count, 2u);
        EXPECT_FALSE(ReadFile(read, bytes, sizeof bytes, &count, nullptr))
            << "not before every writer is gone";
        EXPECT_EQ(GetLastError(), ERROR_BROKEN_PIPE);
        CloseHandle(read);
    }
}

TEST(PosixLayer, TheVersionQueryGivesNtOnlyForTheRightStructureSize) {
    OSVERSIONINFOA version{};
    EXPECT_FALSE(GetVersionExA(&version));
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(version.dwPlatformId, VER_PLATFORM_WIN32_NT);
}
