// Faults the utility must survive with nothing lost, on every platform.
#include <filesystem>
#include <fstream>

#include "../programs/test_pattern.h"
#include "tarvix_fixture.h"

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

using FaultTest = TarvixTest;

TEST_F(FaultTest, NoTailIsLostWhenTheChildExitsRightAfterOneWrite) {
    for (const std::size_t size : {1, 4095, 4096, 65536, 65537, 1 << 20}) {
        const auto run =
            this->run(child({"keeplog:" + kept("log"), "burst:" + std::to_string(size)}));
        EXPECT_TRUE(echoOf(run.output) == echoed(testPattern(size))) << size << " bytes echoed";
        EXPECT_TRUE(readFile(kept("log")) == testPattern(size)) << size << " bytes logged";
        fs::remove(kept("log"));
    }
}

TEST_F(FaultTest, ABadTemporaryDirectoryIsReportedAndTheOutputStillShows) {
    std::ofstream(kept("file")) << "a file";
    for (const std::string& temp : {scratch("missing"), kept("file")}) {
        Options options;
        options.environment = {{"TEMP", temp}};
        const auto run = this->run(child({"out:shown\\n"}), options);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_THAT(run.output, HasSubstr("Error occured in CreateFile "));
        EXPECT_THAT(run.output, HasSubstr("Error occured in WriteFile "));
        EXPECT_THAT(run.output, HasSubstr(echoed("shown\n")));
    }
    EXPECT_EQ(readFile(kept("file")), "a file");

    const std::string blanks = scratch("te mp");
    fs::create_directory(blanks);
    Options options;
    options.environment = {{"TEMP", blanks}};
    const auto run = this->run(child({"keeplog:" + kept("log"), "out:logged\\n"}), options);
    EXPECT_EQ(readFile(kept("log")), "logged\n") << "blanks in the path";
    EXPECT_TRUE(fs::is_empty(blanks));
}

TEST_F(FaultTest, OddArgumentsReachTheChildAsTheSplittingRulesSay) {
    const auto run = this->run(
        child({"args", "--lead", "-", "a\\b", "q\"uo te\"d", "\\\"x", "\\\\\"y\"", "\"\""}));
    EXPECT_EQ(echoOf(run.output), echoed("--lead\n-\na\\b\nquo ted\n\"x\n\\y\n\n"));
}

TEST_F(FaultTest, ARedirectedKeyIsTakenFromTheInputAndTheModeCallsReportedFailing) {
    Options options;
    options.input = "x";
    auto run = this->run(child({"out:hi\\n"}), options);
    EXPECT_EQ(run.exitCode, 0);
    const std::string notAConsole = "\nError:(" + std::to_string(notAConsoleError()) + ")";
    EXPECT_THAT(run.output, HasSubstr("Error occured in GetconsoleMode "));
    EXPECT_THAT(run.output, HasSubstr("Error occured in SetConsoleMode "));
    std::size_t reports = 0;
    for (std::size_t at = 0; (at = run.output.find(notAConsole, at)) != std::string::npos; ++at) {
        ++reports;
    }
    EXPECT_EQ(reports, 3u) << "one query and two changes of the mode";
    EXPECT_THAT(run.output, Not(HasSubstr("ReadFile")));
    EXPECT_THAT(tempEntries(), IsEmpty());
}
