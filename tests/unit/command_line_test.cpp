#include "capture/command_line.h"

#include <gtest/gtest.h>

#include <vector>

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
