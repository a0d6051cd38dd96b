#pragma once

#include <string>
#include <vector>

#include "system/handle.h"

namespace sys {

// Starts the program args[0], found as the platform finds programs, with the rest as its
// arguments, each reaching it whole. It shares our standard input, folder and environment; its
// standard output and error are output (with none, nowhere), and it inherits nothing else of ours.
// It is never waited for: once it has ended, it is reaped.
bool startProgram(const std::vector<std::string>& args, const Handle& output);

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
