#include <signal.h>

#include <cstdlib>
#include <filesystem>

#include "tarvix_fixture.h"

namespace fs = std::filesystem;
using ::testing::ContainsRegex;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

namespace {
// A terminal shows each line end as a carriage return and a line feed.
std::string onScreen(const std::string& text) {
    std::string screen;
    for (const char c : text) screen += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return screen;
}
}  // namespace

class PromptTest : public TarvixTest {
protected:
    // Where the test viewer copies the file it is given.
    Options viewing(std::vector<std::pair<std::string, std::string>> environment) {
        environment.emplace_back("VIEWER_COPY", kept("viewed"));
        Options options;
        options.environment = environment;
        return options;
    }
    static std::string viewer(const std::string& tag) { return TEST_VIEWER " " + tag; }
};

TEST_F(PromptTest, AnyOtherKeyEndsTheRunAtOnce) {
    for (const char* key : {"x", "\r"}) {
        const auto run = runInTerminal(child({"out:hello\\n"}), key);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.output, onScreen("hello\n" + closing()))
            << "three line ends, the prompt, and no echo of the key";
        EXPECT_TRUE(run.terminalRestored);
        EXPECT_THAT(tempEntries(), IsEmpty());
    }
}

TEST_F(PromptTest, VShowsTheLogInTheViewerAndWaitsForIt) {
    for (const char* key : {"v", "V"}) {
        const auto run = runInTerminal(
            child({"out:logged\\n"}), key,
            viewing({{"RIVEZEVEVIVA", viewer("first")}, {"EDITOR", viewer("second")}}));
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_THAT(run.output, EndsWith("as first: copied yes, terminal yes, 3 descriptors\r\n"));
        EXPECT_EQ(readFile(kept("viewed")), "logged\n") << "the log exists while the viewer runs";
        EXPECT_TRUE(run.terminalRestored);
        EXPECT_THAT(tempEntries(), IsEmpty());
        fs::remove(kept("viewed"));
    }
}

TEST_F(PromptTest, TheViewerIsEditorWithoutRivezevevivaAndViWithNeither) {
    auto run = runInTerminal(child({}), "v", viewing({{"EDITOR", viewer("editor")}}));
    EXPECT_THAT(run.output, EndsWith("as editor: copied yes, terminal yes, 3 descriptors\r\n"));

    const std::string bin = scratch("bin");
    fs::create_directory(bin);
    fs::create_symlink(TEST_VIEWER, bin + "/vi");
    auto options = viewing({{"PATH", bin + ":" + std::getenv("PATH")}});
    options.unset = {"RIVEZEVEVIVA", "EDITOR"};
    run = runInTerminal(child({}), "v", options);
    EXPECT_THAT(run.output,
                EndsWith("viewer vi as -: copied yes, terminal yes, 3 descriptors\r\n"));
}

TEST_F(PromptTest, AViewerThatCannotStartIsReported) {
    const auto run = runInTerminal(child({}), "v", viewing({{"RIVEZEVEVIVA", "no-such-viewer"}}));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.output, HasSubstr("Error occured in CreateProcess \t\t\ton line"));
    EXPECT_THAT(tempEntries(), IsEmpty());
}

TEST_F(PromptTest, AnInterruptWhileWaitingRestoresTheTerminal) {
    const auto run = runInTerminal(child({}), "\x03");
    EXPECT_EQ(run.signal, SIGINT);
    EXPECT_TRUE(run.terminalRestored);
}

TEST_F(PromptTest, RedirectedInputIsReadAsItComes) {
    auto options = viewing({{"RIVEZEVEVIVA", viewer("piped")}});
    options.input = "v";
    auto run = this->run(child({"out:hi\\n"}), options);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.output,
                ContainsRegex(closing() + ".*GetconsoleMode.*\\(25\\).*SetConsoleMode.*\\(25\\)"
                                          ".*SetConsoleMode.*\\(25\\).*"
                                          "as piped: copied yes, terminal no, 3 descriptors\n$"));
    EXPECT_EQ(readFile(kept("viewed")), "hi\n");

    options.input = "";
    run = this->run(child({"out:hi\\n"}), options);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.output, Not(HasSubstr("viewer"))) << "empty input is no key";
}
