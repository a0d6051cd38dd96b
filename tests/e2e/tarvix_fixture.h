#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/types.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct RunOptions {
    std::string program = TARVIX;  // a copy elsewhere, to run it without its catalog, say
    std::vector<std::pair<std::string, std::string>> environment;  // set, over TEMP too
    std::vector<std::string> unset;
    bool closedOutput = false;         // standard output is a pipe whose reader has gone
    std::function<void()> beforeExec;  // runs in the utility's process, as its pid
};

// Runs the built utility as a user would: a real process, with TEMP pointing at a fresh
// directory of the test's own and standard output collected in a file.
class TarvixTest : public ::testing::Test {
protected:
    using Options = RunOptions;
    struct Outcome {
        int exitCode = -1;  // -1 when a signal ended it
        std::string output;
        std::string errors;
    };

    TarvixTest();
    ~TarvixTest() override;

    Outcome run(const std::vector<std::string>& args, const RunOptions& options = {});
    // The arguments that make the utility run the test child with these actions.
    static std::vector<std::string> child(std::vector<std::string> actions);

    std::string tempDir() const { return root_ + "/temp"; }
    // A directory of the test's own, outside the temporary directory.
    std::string scratch(const std::string& name) const { return root_ + "/" + name; }
    std::string kept(const std::string& name) const { return scratch("kept/" + name); }
    std::vector<std::string> tempEntries() const;

private:
    std::string root_;
};

std::string readFile(const std::string& path);
