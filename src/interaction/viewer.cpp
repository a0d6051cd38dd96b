#include "interaction/viewer.h"

#include <cstdlib>
#include <string>

#include "capture/command_line.h"
#include "capture/interrupts.h"
#include "capture/process.h"
#include "diagnostics/report_failure.h"
#include "output/output.h"

namespace {
// The first of the viewer's variables that is set and not empty, else the platform's own: an empty
// one names no viewer, and would run the log itself.
std::string viewer() {
    for (const char* variable : platform::kViewerVariables) {
        const char* value = std::getenv(variable);
        if (value && *value) return value;
    }
    return platform::kDefaultViewer;
}
}  // namespace

// The viewer gets the standard output and error the utility was started with, so that it shares
// the console or the redirected output, and inherits nothing else: the pipe ends are closed by
// now and the log never was inheritable. Its command line is split like the child's, with no
// length limit of our own. The path is one word of it, whole whatever its directory holds; the
// viewer's value is not quoted, so that it may carry arguments of its own. While it runs, the
// interrupt and quit keys are its own: we go on waiting, so that the log is deleted after it, as
// programs that wait for an editor do.
void viewLog(const LogFile& log) {
    if (!log.created()) return;  // none was made, as the reports have said
    // The viewer writes to our standard output too; what we wrote comes first.
    flushOutput();
    leaveInterruptsToOthers();
    PROCESS_INFORMATION process{};
    if (startProcess(viewer() + " " + asOneWord(log.path()), process)) {
        reportFailure(WaitForSingleObject(process.hProcess, INFINITE) != WAIT_FAILED,
                      "WaitForSingleObject");
    }
    takeInterruptsBack();
}
