// What no whole run shows: Windows' command lines and program search in every case, and a failed
// version query (wine's never fails).
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "interaction/messages.h"
#include "system/windows/command_line.h"
#include "system/windows/program_search.h"

TEST(CommandLineFor, AddsTheSuffixOnlyWithoutADotAndQuotesWhatTheRulesWouldSplit) {
    EXPECT_EQ(sys::commandLineFor({"prog", "a", "b"}, ".exe"), "prog.exe a b");
    EXPECT_EQ(sys::commandLineFor({"..\\tools\\prog"}, ".exe"), "..\\tools\\prog");
    EXPECT_EQ(sys::commandLineFor({"my prog", "", "\"q\" r"}, ".exe"),
              "\"my prog.exe\" \"\" \"\\\"q\\\" r\"");
}

// Each argument quoted where cmd would act on a character of it; a % or a line break refused.
TEST(BatchCommandLine, QuotesWhatCmdWouldActOnAndRefusesWhatNoFormPasses) {
    std::string line;
    EXPECT_TRUE(sys::batchCommandLine("C:\\b.bat", " -v", {"plain-1.2", "a|b", "", "x\"y\\\"z",
                                                            "end\\", "^&<>()!"}, line));
    EXPECT_EQ(line, "cmd.exe /v:OFF /d /c \"\"C:\\b.bat\" -v plain-1.2 \"a|b\" \"\" "
                    "\"x\"\"y\\\\\"\"z\" \"end\\\\\" \"^&<>()!\"\"");
    for (const char* refused : {"%PATH%", "50%", "a\nb", "a\rb"})
        EXPECT_FALSE(sys::batchCommandLine("b.bat", "", {"x", refused}, line)) << refused;
}

namespace {
const std::set<std::string>* files;
bool isFile(const std::string& path) {
    return files->count(path) > 0;
}
std::string find(const std::string& name, const std::set<std::string>& present) {
    files = &present;
    return sys::findProgram(name, "C:\\cur", "C:\\one;\"C:\\two\";", ".com;.exe;.bat", isFile);
}
}  // namespace

// Folder by folder, the current one first; in each, a listed extension as given, then PATHEXT's.
TEST(FindProgram, SearchesAsCmdDoes) {
    EXPECT_EQ(find("make", {"C:\\one\\make.exe", "C:\\cur\\make.bat"}), "C:\\cur\\make.bat");
    EXPECT_EQ(find("make", {"C:\\two\\make.com", "C:\\two\\make.exe"}), "C:\\two\\make.com");
    EXPECT_EQ(find("tool-1.2", {"C:\\one\\tool-1.2.bat"}), "C:\\one\\tool-1.2.bat");
    EXPECT_EQ(find("x.bat", {"C:\\one\\x.bat.com", "C:\\one\\x.bat"}), "C:\\one\\x.bat");
    EXPECT_EQ(find("x.txt", {"C:\\cur\\x.txt"}), "");
    EXPECT_EQ(find("X.Exe", {"C:\\cur\\X.Exe"}), "C:\\cur\\X.Exe");
    // A folder of its own: there alone, from the current folder unless the path is absolute.
    EXPECT_EQ(find("proj.v2\\build", {"C:\\cur\\proj.v2\\build.bat", "C:\\one\\proj.v2\\build.bat"}),
              "C:\\cur\\proj.v2\\build.bat");
    EXPECT_EQ(find(".\\build", {"C:\\one\\build.exe"}), "");
    EXPECT_EQ(find("D:\\t\\x", {"D:\\t\\x.exe"}), "D:\\t\\x.exe");
    EXPECT_TRUE(sys::isBatchFile("a.CMD") && !sys::isBatchFile("a.cmd.exe"));
}

TEST(PlatformCheck, RefusesWhenTheVersionQueryFails) {
    EXPECT_EQ(platformRefusal(sys::Family::Unknown), IDS_VERSION_QUERY_FAILED);
}
