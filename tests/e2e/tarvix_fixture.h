#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct RunOptions {
    std::string program = TARVIX;  // a copy elsewhere, to run it without its catalog, say
    std::vector<std::pair<std::string, std::string>> environment;  // set, over TEMP too
    std::vector<std::string> unset;
    std::string input;  // standard input, when it is not a terminal
    bool closedInput = false;
    enum class Output {
        File,         // collected in RunOutcome::output
        Full,         // /dev/full: every write fails
        Closed,       // no descriptor 1 at all
        ShortReader,  // a pipe whose reader takes 10 bytes and goes away, as `| head -c 10`
    } output = Output::File;
    std::function<void()> beforeExec;  // runs in the utility's process, as its pid
};

struct RunOutcome {
    int exitCode = -1;  // -1 when a signal ended it
    int signal = 0;
    std::string output;
    std::string errors;
    bool terminalRestored = false;  // in a terminal: every setting as before the run
};

// Runs the built utility as a user would: a real process, with TEMP pointing at a fresh
// directory of the test's own, standard output and error collected in files, or all three
// standard handles on a pseudo-terminal where keys are typed.
class TarvixTest : public ::testing::Test {
protected:
    using Options = RunOptions;
    using Outcome = RunOutcome;
    TarvixTest();
    ~TarvixTest() override;

    Outcome run(const std::vector<std::string>& args, const Options& options = {});
    // Types each key once the utility reads single keys without echo.
    Outcome runInTerminal(const std::vector<std::string>& args, const std::string& keys,
                          const Options& options = {});

    // The arguments that make the utility run the test child with these actions.
    static std::vector<std::string> child(std::vector<std::string> actions);
    // The child's output as the utility echoed it, before the closing prompt.
    static std::string echoOf(const std::string& output);
    // What the utility writes after the output: three line ends and the prompt.
    static std::string closing();

    std::string tempDir() const { return root_ + "/temp"; }
    // A directory of the test's own, outside the temporary directory.
    std::string scratch(const std::string& name) const { return root_ + "/" + name; }
    std::string kept(const std::string& name) const { return scratch("kept/" + name); }
    std::vector<std::string> tempEntries() const;

private:
    pid_t start(const std::vector<std::string>& args, const Options& options,
                const std::function<void()>& standardHandles);

    std::string root_;
};

std::string readFile(const std::string& path);
