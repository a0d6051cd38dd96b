#include "capture/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/posix/command_line_words.h"

namespace {
std::string built(std::vector<const char*> args, const char* suffix) {
    return buildCommandLine(static_cast<int>(args.size()), args.data(), suffix);
}
}  // namespace

TEST(BuildCommandLine, AddsTheSuffixOnlyWhenTheTargetHasNoDot) {
    EXPECT_EQ(built({"prog", "a", "b"}, ".exe"), "prog.exe a b ");
    EXPECT_EQ(built({"prog.com"}, ".exe"), "prog.com ");
    EXPECT_EQ(built({"..\\tools\\prog"}, ".exe"), "..\\tools\\prog ");
    EXPECT_EQ(built({""}, ".exe"), ".exe ");
    EXPECT_EQ(built({"ls", "-l"}, ""), "ls -l ");
}

TEST(BuildCommandLine, CopiesArgumentsAsTheyCameEachFollowedByOneBlank) {
    EXPECT_EQ(built({"prog", "", "x"}, ".exe"), "prog.exe  x ");
    EXPECT_EQ(built({"my prog", "x"}, ".exe"), "my prog.exe x ");
    EXPECT_EQ(built({"p", "\"q\"", "a\\b"}, ""), "p \"q\" a\\b ");
}

TEST(SplitCommandLine, SplitsAsWindowsProgramsDo) {
    using posix::splitCommandLine;
    using ::testing::ElementsAre;
    EXPECT_THAT(splitCommandLine("  prog \t a  b "), ElementsAre("prog", "a", "b"));
    EXPECT_THAT(splitCommandLine("\"my prog\" \"a b\"c \"\""), ElementsAre("my prog", "a bc", ""));
    EXPECT_THAT(splitCommandLine("p a\\b \\\\\\\"q \\\\\"x y\" \"in\"\"side\""),
                ElementsAre("p", "a\\b", "\\\"q", "\\x y", "in\"side"));
    EXPECT_THAT(splitCommandLine("C:\\dir\\\"x y\" z"), ElementsAre("C:\\dir\\x y", "z"))
        << "the program's name takes no backslash rules";
    EXPECT_THAT(splitCommandLine(" \t"), ::testing::IsEmpty());
}
