// Faults that only POSIX systems can arrange: descriptors closed or full, links planted at the
// log path, permissions, bytes that are no UTF-8, an argument list near ARG_MAX.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "../programs/test_pattern.h"
#include "tarvix_fixture.h"

namespace fs = std::filesystem;
using ::testing::AnyOf;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using Output = RunOptions::Output;

using PosixFaultTest = TarvixTest;

TEST_F(PosixFaultTest, LogIsPrivateAndNotInheritedByTheChild) {
    const auto run = this->run(child({"keeplog:" + kept("log"), "logfds"}));
    EXPECT_EQ(echoOf(run.output), "log not held\n");
    struct stat status {};
    ASSERT_EQ(stat(kept("log").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
}

TEST_F(PosixFaultTest, ManyRunsInARowLeaveNothingBehind) {
    std::string firstEcho;
    for (int i = 0; i < 200; ++i) {
        const std::string log = kept("log" + std::to_string(i));
        const auto run = this->run(child({"keeplog:" + log, "fdcount", "logfds"}));
        const std::string echo = echoOf(run.output);
        if (i == 0) firstEcho = echo;
        ASSERT_EQ(echo, firstEcho) << "run " << i << ": the child's descriptors changed";
        ASSERT_EQ(readFile(log), echo) << "run " << i;
        ASSERT_THAT(tempEntries(), IsEmpty()) << "run " << i;
    }
    EXPECT_THAT(firstEcho, HasSubstr("log not held"));
}

TEST_F(PosixFaultTest, OutputThatCannotBeWrittenLosesNothingFromTheLog) {
    for (const Output output : {Output::Full, Output::Closed, Output::ShortReader}) {
        Options options;
        options.output = output;
        const auto run =
            this->run(child({"keeplog:" + kept("log"), "sigpipe", "bytes:100000"}), options);
        EXPECT_EQ(run.exitCode, 0) << "output " << static_cast<int>(output);
        EXPECT_TRUE(readFile(kept("log")) == "SIGPIPE default\n" + testPattern(100000))
            << "output " << static_cast<int>(output) << ": the log is not exactly the child's";
        EXPECT_THAT(tempEntries(), IsEmpty());
        fs::remove(kept("log"));
    }
}

TEST_F(PosixFaultTest, AnUnwritableTemporaryDirectoryIsReported) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into any directory";
    fs::permissions(tempDir(), fs::perms::owner_read | fs::perms::owner_exec);
    const auto run = this->run(child({"out:shown\\n"}));
    fs::permissions(tempDir(), fs::perms::owner_all);
    EXPECT_THAT(run.output, HasSubstr("Error occured in CreateFile "));
    EXPECT_THAT(run.output, HasSubstr("\nError:(13)"));
    EXPECT_THAT(run.output, HasSubstr("shown\n"));
}

TEST_F(PosixFaultTest, FilesAtTheLogPathAreNeverWrittenThrough) {
    const std::string victim = kept("victim");
    for (const bool hard : {false, true}) {
        std::ofstream(victim) << "precious";
        const auto run =
            this->run(child({"out:captured\\n"}), planting([=](const std::string& log) {
                          if ((hard ? link(victim.c_str(), log.c_str())
                                    : symlink(victim.c_str(), log.c_str())) != 0) {
                              _exit(126);
                          }
                      }));
        EXPECT_EQ(echoOf(run.output), "captured\n") << (hard ? "hard" : "symbolic") << " link";
        EXPECT_EQ(readFile(victim), "precious") << (hard ? "hard" : "symbolic") << " link";
        EXPECT_THAT(tempEntries(), IsEmpty());
    }

    const auto run =
        this->run(child({"keeplog:" + kept("log"), "out:fresh\\n"}),
                  planting([](const std::string& log) { std::ofstream(log) << "stale"; }));
    EXPECT_EQ(readFile(kept("log")), "fresh\n") << "a stale log of our own is replaced";
    EXPECT_THAT(tempEntries(), IsEmpty());
}

TEST_F(PosixFaultTest, AClosedStandardInputIsNoKey) {
    Options options;
    options.closedInput = true;
    const auto run = this->run(child({"out:hi\\n"}), options);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.output, Not(HasSubstr("ReadFile"))) << "the key is read from /dev/null";
    EXPECT_THAT(tempEntries(), IsEmpty());
}

TEST_F(PosixFaultTest, BytesThatAreNoUtf8AndAnArgumentListNearTheLimitPassThrough) {
    Options options;
    options.environment = {{"ODD", "\xff \"\\"}};
    auto run = this->run(child({"env:ODD", "args", "\xfe\xff"}), options);
    EXPECT_EQ(echoOf(run.output), "\xff \"\\\n\xfe\xff\n");

    const std::string odd = scratch("te mp\xff");
    fs::create_directory(odd);
    options.environment = {{"TEMP", odd}};
    run = this->run(child({"keeplog:" + kept("log"), "out:logged\\n"}), options);
    EXPECT_EQ(readFile(kept("log")), "logged\n") << "blanks and other bytes in the path";
    EXPECT_TRUE(fs::is_empty(odd));

    std::vector<std::string> args = child({"argc"});
    const std::string big(100000, 'a');
    for (long total = 0; total < sysconf(_SC_ARG_MAX) * 9 / 10; total += big.size() + 1) {
        args.push_back(big);
    }
    run = this->run(args);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(echoOf(run.output), AnyOf(std::to_string(args.size() - 2) + "\n",
                                          HasSubstr("Error occured in CreateProcess ")));
}
