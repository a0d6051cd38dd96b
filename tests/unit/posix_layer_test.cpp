// Properties of the POSIX layer that the utility's own behaviour does not show.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/platform.h"
#include "platform/posix/command_line_words.h"
#include "platform/posix/handles.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {
bool inheritable(HANDLE handle) {
    return (fcntl(posix::descriptorOf(handle), F_GETFD) & FD_CLOEXEC) == 0;
}

SECURITY_ATTRIBUTES attributes(BOOL inherit) {
    return {sizeof(SECURITY_ATTRIBUTES), nullptr, inherit};
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

TEST(PosixLayer, HandlesAreNeverZeroOrInvalid) {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    auto inherit = attributes(TRUE);
    ASSERT_TRUE(CreatePipe(&read, &write, &inherit, 0));
    for (HANDLE handle : {read, write, GetStdHandle(STD_INPUT_HANDLE), GetCurrentProcess()}) {
        EXPECT_NE(handle, nullptr);
        EXPECT_NE(handle, INVALID_HANDLE_VALUE);
    }
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(CloseHandle(nullptr));
    CloseHandle(read);
    CloseHandle(write);
}

TEST(PosixLayer, InheritanceFollowsTheAttributesAndTheDuplicateFlag) {
    for (const BOOL inherit : {FALSE, TRUE}) {
        HANDLE read = nullptr;
        HANDLE write = nullptr;
        HANDLE copy = nullptr;
        auto security = attributes(inherit);
        ASSERT_TRUE(CreatePipe(&read, &write, &security, 0));
        EXPECT_EQ(inheritable(read), inherit == TRUE);
        EXPECT_EQ(inheritable(write), inherit == TRUE);
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), write, GetCurrentProcess(), &copy, 0,
                                    !inherit, DUPLICATE_SAME_ACCESS));
        EXPECT_EQ(inheritable(copy), inherit == FALSE);
        for (HANDLE handle : {read, write, copy}) CloseHandle(handle);
    }
}

TEST(PosixLayer, APipeEndsInABrokenPipeOnceEveryWriterIsGone) {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    HANDLE copy = nullptr;
    auto security = attributes(FALSE);
    ASSERT_TRUE(CreatePipe(&read, &write, &security, 0));
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), write, GetCurrentProcess(), &copy, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    DWORD count = 99;
    ASSERT_TRUE(WriteFile(copy, "ab", 2, &count, nullptr));
    EXPECT_EQ(count, 2u);
    CloseHandle(write);
    CloseHandle(copy);
    char bytes[8];
    ASSERT_TRUE(ReadFile(read, bytes, sizeof bytes, &count, nullptr));
    EXPECT_EQ(count, 2u);
    EXPECT_FALSE(ReadFile(read, bytes, sizeof bytes, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_BROKEN_PIPE);
    EXPECT_EQ(count, 0u);
    CloseHandle(read);
}

TEST(PosixLayer, AFileEndsInAnEmptyRead) {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    const int saved = dup(0);
    const int empty = open("/dev/null", O_RDONLY);
    dup2(empty, 0);
    char byte;
    DWORD count = 99;
    EXPECT_TRUE(ReadFile(input, &byte, 1, &count, nullptr));
    EXPECT_EQ(count, 0u);
    dup2(saved, 0);
    close(saved);
    close(empty);
}

TEST(PosixLayer, AFailedWriteCountsNothingAndSetsTheLastError) {
    DWORD count = 99;
    EXPECT_FALSE(WriteFile(INVALID_HANDLE_VALUE, "x", 1, &count, nullptr));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(EBADF));
}

TEST(PosixLayer, SetStdHandleChangesTheTableButNotTheDescriptors) {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    auto security = attributes(TRUE);
    ASSERT_TRUE(CreatePipe(&read, &write, &security, 0));
    struct stat before {}, after {};
    fstat(1, &before);
    HANDLE original = GetStdHandle(STD_OUTPUT_HANDLE);
    ASSERT_TRUE(SetStdHandle(STD_OUTPUT_HANDLE, write));
    EXPECT_EQ(GetStdHandle(STD_OUTPUT_HANDLE), write);
    fstat(1, &after);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(before.st_dev, after.st_dev);
    SetStdHandle(STD_OUTPUT_HANDLE, original);
    EXPECT_FALSE(SetStdHandle(static_cast<DWORD>(-13), write));
    CloseHandle(read);
    CloseHandle(write);
}

TEST(PosixLayer, CreateProcessFailsAtOnceForAProgramThatCannotRun) {
    STARTUPINFOA startup{sizeof(STARTUPINFOA)};
    PROCESS_INFORMATION process{};
    std::string missing = "no-such-program-anywhere x ";
    EXPECT_FALSE(CreateProcessA(nullptr, missing.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, &startup, &process));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ENOENT));

    const std::string path = std::filesystem::temp_directory_path() / "tarvix-not-executable";
    std::ofstream(path) << "data";
    chmod(path.c_str(), 0600);
    std::string line = path + " ";
    EXPECT_FALSE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                &startup, &process));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(EACCES));
    std::filesystem::remove(path);
}

TEST(PosixLayer, CreateFileReplacesAnExistingFileWithoutTouchingItsOtherNames) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tarvix-layer-test";
    std::filesystem::create_directories(dir);
    const std::string log = dir / "log";
    const std::string other = dir / "other";
    std::ofstream(other) << "precious";
    std::filesystem::create_hard_link(other, log);
    HANDLE file = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD count = 0;
    EXPECT_TRUE(WriteFile(file, "new", 3, &count, nullptr));
    CloseHandle(file);
    std::ifstream kept(other);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "precious");
    EXPECT_EQ(std::filesystem::file_size(log), 3u);
    std::filesystem::remove_all(dir);
}

TEST(PosixLayer, SystemTextsEndInALineEndAndFitTheBuffer) {
    char text[500];
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ENOENT, 0, text,
                                        sizeof text, nullptr);
    EXPECT_EQ(std::string(text, length), "No such file or directory\n");
    char small[4];
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ENOENT, 0, small, sizeof small,
                             nullptr),
              3u);
    EXPECT_STREQ(small, "No ");
}
