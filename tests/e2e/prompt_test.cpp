#include <signal.h>

#include <cstdlib>
#include <filesystem>

#include "tarvix_fixture.h"

namespace fs = std::filesystem;
using ::testing::ContainsRegex;
using ::testing::EndsWith;
using ::testing::IsEmpty;

namespace {
// A terminal shows each line end as a carriage return and a line feed.
std::string onScreen(const std::string& text) {
    std::string screen;
    for (const char c : text) screen += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return screen;
}
}  // namespace

using PromptTest = TarvixTest;

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

TEST_F(PromptTest, TheViewerGetsTheTerminalAndNothingElse) {
    const auto run =
        runInTerminal(child({"out:logged\\n"}), "v", viewing({{"RIVEZEVEVIVA", viewer("first")}}));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.output, EndsWith("viewer first: copied yes, terminal yes, 3 descriptors\r\n"));
    EXPECT_TRUE(run.terminalRestored);
}

TEST_F(PromptTest, WithNeitherVariableTheViewerIsVi) {
    const std::string bin = scratch("bin");
    fs::create_directory(bin);
    fs::create_symlink(TEST_VIEWER, bin + "/vi");
    auto options = viewing({{"PATH", bin + ":" + std::getenv("PATH")}});
    options.unset = {"RIVEZEVEVIVA", "EDITOR"};
    const auto run = runInTerminal(child({"out:logged\\n"}), "v", options);
    EXPECT_THAT(run.output, EndsWith("viewer vi: copied yes, terminal yes, 3 descriptors\r\n"));
    EXPECT_EQ(readFile(seen("vi")), "logged\n");
}

TEST_F(PromptTest, AnInterruptWhileWaitingRestoresTheTerminal) {
    const auto run = runInTerminal(child({}), "\x03");
    EXPECT_EQ(run.signal, SIGINT);
    EXPECT_TRUE(run.terminalRestored);
}

// The viewer writes to our standard output too: what we wrote before it starts comes first.
TEST_F(PromptTest, ARedirectedOutputHasOurReportsBeforeTheViewers) {
    auto options = viewing({{"RIVEZEVEVIVA", viewer("piped")}});
    options.input = "v";
    const auto run = this->run(child({"out:hi\\n"}), options);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(
        run.output,
        ContainsRegex(closing() + ".*GetconsoleMode.*\\(25\\).*SetConsoleMode.*\\(25\\)"
                                  ".*SetConsoleMode.*\\(25\\).*"
                                  "viewer piped: copied yes, terminal no, 3 descriptors\n$"));
}
