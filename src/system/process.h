#pragma once

#include <string>
#include <vector>

#include "system/handle.h"

namespace sys {

// How the program ended, as a shell tells it: its exit status, or 128 + N when signal N ended it
// (POSIX). One that could not be started: 127 when it was not found, 126 when it could not run.
struct ProgramEnd {
    int status = 0;
    int signal = 0;  // the signal that ended it, else 0
};

// Starts the program args[0], found as the platform finds programs, with the rest as its
// arguments, each reaching it whole. It shares our standard input, folder and environment; its
// standard output and error are output (with none, nowhere), and it inherits nothing else of ours.
bool startProgram(const std::vector<std::string>& args, const Handle& output);
// Once startProgram has failed with this last error.
ProgramEnd notStarted(long error);
// Waits until the program started has ended (at once when it has).
ProgramEnd waitForProgram();

// The viewer, with our standard handles and nothing else of ours, waited for.
class Process {
public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // The viewer a variable names, on the file, which reaches it as one argument whatever it
    // holds. On POSIX the value is a shell command line, run as editors are
    // (sh -c '<value> "$@"'); on Windows it heads a command line.
    bool startViewer(const std::string& viewer, const std::string& file);
    bool wait();

private:
    Handle::Native id_ = Handle::kNone;
};

}  // namespace sys
