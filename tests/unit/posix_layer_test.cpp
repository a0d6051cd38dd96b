// Properties of the POSIX layer that the utility's own behaviour does not show.
#include <fcntl.h>
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "platform/platform.h"
#include "platform/posix/command_line_words.h"
#include "platform/posix/handles.h"

namespace fs = std::filesystem;
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

TEST(PosixLayer, CreateProcessFailsAtOnceForAProgramThatCannotRun) {
    const std::string notExecutable = fs::temp_directory_path() / "tarvix-not-executable";
    std::ofstream(notExecutable) << "data";
    chmod(notExecutable.c_str(), 0600);
    for (const auto& [line, error] : {std::pair{std::string("no-such-program-anywhere x"), ENOENT},
                                      std::pair{notExecutable, EACCES}}) {
        std::string writable = line;
        STARTUPINFOA startup{sizeof startup};
        PROCESS_INFORMATION process{};
        EXPECT_FALSE(CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                    nullptr, &startup, &process));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(error)) << line;
    }
    fs::remove(notExecutable);
}

TEST(PosixLayer, CreateFileMakesANewFileWhateverLinkStoodAtThePath) {
    const fs::path dir = fs::temp_directory_path() / "tarvix-layer-test";
    fs::create_directories(dir);
    const std::string other = dir / "other";
    std::ofstream(other) << "precious";
    for (const bool hard : {true, false}) {
        const std::string log = dir / "log";
        if (hard)
            fs::create_hard_link(other, log);
        else
            fs::create_symlink(other, log);
        HANDLE file = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD count = 0;
        EXPECT_TRUE(WriteFile(file, "new", 3, &count, nullptr));
        CloseHandle(file);
        std::ifstream kept(other);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "precious");
        EXPECT_EQ(fs::status(log).permissions(), fs::perms::owner_read | fs::perms::owner_write);
        fs::remove(log);
    }
    fs::remove_all(dir);
}

TEST(PosixLayer, SystemTextsEndInALineEndCutToTheBuffer) {
    char text[500];
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ENOENT, 0, text, sizeof text, nullptr);
    EXPECT_EQ(std::string(text, length), "No such file or directory\n");
    length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ENOENT, 0, text, 4, nullptr);
    EXPECT_EQ(std::string(text, length + 1), std::string("No \0", 4));
}

TEST(PosixLayer, TheVersionQueryGivesNtOnlyForTheRightStructureSize) {
    OSVERSIONINFOA version{};
    EXPECT_FALSE(GetVersionExA(&version));
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(version.dwPlatformId, VER_PLATFORM_WIN32_NT);
}
