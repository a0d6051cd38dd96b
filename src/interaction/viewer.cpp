#include <cstdio>
#include <cstdlib>
#include <string>

#include "capture/capture_run.h"
#include "capture/process.h"
#include "diagnostics/report_failure.h"

namespace {
// The first of RIVEZEVEVIVA and EDITOR that is present, even when empty, else the platform's.
std::string viewer() {
    for (const char* variable : {"RIVEZEVEVIVA", "EDITOR"}) {
        if (const char* value = std::getenv(variable)) return value;
    }
    return platform::kDefaultViewer;
}

// The path as one word of a command line: quoted when it holds a blank or a tab, since a
// temporary directory may well hold one and the viewer would get the path in pieces.
std::string asOneWord(const std::string& path) {
    return path.find_first_of(" \t") == std::string::npos ? path : "\"" + path + "\"";
}
}  // namespace

// The viewer inherits nothing but the utility's own standard handles, so a terminal editor gets
// the terminal, not the pipe. Its command line is split like the child's, with no length limit
// of our own; the viewer's value is not quoted, so that it may carry arguments of its own.
void CaptureRun::viewLog() {
    // The viewer writes to our standard output too; what we wrote comes first.
    std::fflush(stdout);
    PROCESS_INFORMATION process{};
    if (!startProcess(viewer() + " " + asOneWord(logPath), FALSE, process)) return;
    reportFailure(WaitForSingleObject(process.hProcess, INFINITE) != WAIT_FAILED,
                  "WaitForSingleObject");
}
