#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct RunOptions {
    std::string program;  // the built utility, or a copy elsewhere (without its library, say)
    std::vector<std::pair<std::string, std::string>> environment;  // set, over TEMP too
    std::vector<std::string> unset;
    std::string input;  // standard input, when it is not a terminal
    // POSIX only: standard input closed, standard output somewhere other than a file.
    bool closedInput = false;
    enum class Output {
        File,         // collected in RunOutcome::output
        Full,         // /dev/full: every write fails
        Closed,       // no descriptor 1 at all
        ShortReader,  // a pipe whose reader takes 10 bytes and goes away, as `| head -c 10`
    } output = Output::File;
    // Runs just before the utility starts, given its process id: to plant a file at its log path.
    std::function<void(unsigned long processId)> beforeStart;
};

struct RunOutcome {
    int exitCode = -1;  // -1 when a signal ended it
    int signal = 0;
    std::string output;
    std::string errors;
    bool terminalRestored = false;  // in a terminal: every setting as before the run
};

// Runs the built utility as a user would: a real process, with TEMP pointing at a fresh
// directory of the test's own, standard output and error collected in files, or (on POSIX) all
// three standard handles on a pseudo-terminal where keys are typed. Starting processes is the
// platform's part, in tarvix_fixture_<platform>.cpp; so are the few facts the tests expect to
// differ between platforms.
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

    // A program the build made, named as this platform names it.
    static std::string built(const char* path);
    // The arguments that make the utility run the test child with these actions.
    static std::vector<std::string> child(std::vector<std::string> actions);
    // Bytes as the utility echoes them to a redirected standard output.
    static std::string echoed(const std::string& bytes);
    // The child's output as the utility echoed it, before the closing prompt.
    static std::string echoOf(const std::string& output);
    // What the utility writes after the output: three line ends and the prompt.
    static std::string closing();
    // The error code of a console-mode call on a handle that is no console.
    static unsigned long notAConsoleError();
    // What a message box leaves on standard error.
    static std::string messageBox(const std::string& caption, const std::string& text);

    // Options that plant a file at the path the utility's log will have, just before it starts.
    Options planting(std::function<void(const std::string& log)> plant) const;
    // Options that run a copy of the utility under this name in a directory of its own, beside a
    // copy of this message library unless it is empty.
    Options copyOfUtility(const std::string& name, const std::string& library) const;

    // The command that starts the test viewer with this tag, and where it puts what it saw.
    static std::string viewer(const std::string& tag);
    std::string seen(const std::string& tag) const { return (root_ / "seen" / tag).string(); }
    // Options with these variables set, and the test viewer's directory.
    Options viewing(std::vector<std::pair<std::string, std::string>> environment) const;

    std::string tempDir() const { return (root_ / "temp").string(); }
    // A directory of the test's own, outside the temporary directory.
    std::string scratch(const std::string& name) const { return (root_ / name).string(); }
    std::string kept(const std::string& name) const { return (root_ / "kept" / name).string(); }
    std::vector<std::string> tempEntries() const;

private:
    // The closing prompt's text, from the built message library.
    static std::string prompt();

    std::filesystem::path root_;
};

std::string readFile(const std::string& path);
