#include <cstdio>
#include <cstdlib>
#include <string>

#include "capture/capture_run.h"
#include "diagnostics/report_failure.h"

namespace {
// The first of RIVEZEVEVIVA and EDITOR that is present, even when empty, else the platform's.
std::string viewer() {
    for (const char* variable : {"RIVEZEVEVIVA", "EDITOR"}) {
        if (const char* value = std::getenv(variable)) return value;
    }
    return platform::kDefaultViewer;
}
}  // namespace

// The viewer inherits nothing but the utility's own standard handles, so a terminal editor gets
// the terminal, not the pipe. Its command line is split like the child's, with no length limit
// of our own; neither the viewer nor the path is quoted.
void CaptureRun::viewLog() {
    std::string command = viewer() + " " + logPath;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // The viewer writes to our standard output too; what we wrote comes first.
    std::fflush(stdout);
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
    reportFailure(started, "CreateProcess");
    if (!started) return;
    reportFailure(WaitForSingleObject(process.hProcess, INFINITE) != WAIT_FAILED,
                  "WaitForSingleObject");
}
