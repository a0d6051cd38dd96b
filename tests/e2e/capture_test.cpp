#include <filesystem>
#include <fstream>

#include "../programs/test_pattern.h"
#include "tarvix_fixture.h"

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

using CaptureTest = TarvixTest;

TEST_F(CaptureTest, MergesOutputAndErrorInWriteOrderIntoEchoAndLog) {
    const std::string written = "one\ntwo\nthree and four\r\n";
    const auto run = this->run(child({"keeplog:" + kept("log"), "out:one\\n", "err:two\\n",
                                      "out:three\\sand\\sfour\\r\\n", "exit:7"}));
    EXPECT_EQ(run.exitCode, 0) << "the child's status is not the utility's";
    EXPECT_EQ(echoOf(run.output), echoed(written))
        << "on Windows each line feed is echoed as CR LF, so a CR LF as CR CR LF";
    EXPECT_EQ(readFile(kept("log")), written);
    EXPECT_THAT(tempEntries(), IsEmpty()) << "the log is deleted at exit";
}

TEST_F(CaptureTest, PassesBinaryOutputWholeToEchoAndLog) {
    const std::string withZero("a\0b\n", 4);
    auto run = this->run(child({"keeplog:" + kept("zero"), "out:a\\0b\\n"}));
    EXPECT_EQ(echoOf(run.output), echoed(withZero)) << "the echo must not stop at a zero byte";
    EXPECT_EQ(readFile(kept("zero")), withZero);

    const std::string pattern = testPattern(3 << 20);
    run = this->run(child({"keeplog:" + kept("big"), "bytes:" + std::to_string(pattern.size())}));
    EXPECT_TRUE(echoOf(run.output) == echoed(pattern))
        << "echo of " << run.output.size() << " bytes differs";
    EXPECT_TRUE(readFile(kept("big")) == pattern) << "log differs";
}

TEST_F(CaptureTest, AChildThatWritesNothingLeavesAnEmptyLog) {
    const auto run = this->run(child({"keeplog:" + kept("log")}));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(echoOf(run.output), "");
    EXPECT_TRUE(fs::exists(kept("log")));
    EXPECT_EQ(fs::file_size(kept("log")), 0u);
}

TEST_F(CaptureTest, WaitsForAGrandchildThatKeepsThePipeOpen) {
    const auto run = this->run(child({"grandchild:late\\n", "out:early\\n"}));
    EXPECT_EQ(echoOf(run.output), echoed("early\nlate\n"));
}

TEST_F(CaptureTest, AMissingProgramIsReportedAndTheRunGoesOn) {
    const auto run = this->run({"no-such-program-here", "a"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.output, HasSubstr("Error occured in CreateProcess \t\t\ton line "));
    EXPECT_THAT(run.output, HasSubstr("\nError:(2)"));
    EXPECT_THAT(tempEntries(), IsEmpty());
}
