#include "interaction/viewer.h"

#include <cstdlib>
#include <string>

#include "diagnostics/report_failure.h"
#include "interaction/messages.h"
#include "output/output.h"
#include "system/ending.h"
#include "system/platform.h"
#include "system/process.h"

namespace {
// The first of the viewer's variables that is set and not empty, else the platform's own: an
// empty one names no viewer, and would run the log itself.
std::string viewer() {
    for (const char* const* variable = sys::kViewerVariables; *variable; ++variable) {
        const char* value = std::getenv(*variable);
        if (value && *value) return value;
    }
    return sys::kDefaultViewer;
}
}  // namespace

// While the viewer runs, the interrupt and quit keys are its own: we go on waiting, so that the
// log is deleted after it, as programs that wait for an editor do.
void viewLog(const LogFile& log) {
    if (!log.created()) {  // none was made, as the reports have said
        MessageBuffer text;
        messageLibrary.load(IDS_NO_LOG, text);
        say("%s\n", text);
        return;
    }
    // The viewer writes to our standard output too; what we wrote comes first.
    flushOutput();
    sys::leaveInterruptsToOthers(true);
    sys::Process process;
    const bool started = process.startViewer(viewer(), log.path());
    reportFailure(started, "CreateProcess");
    if (started) reportFailure(process.wait(), "WaitForSingleObject");
    sys::leaveInterruptsToOthers(false);
}
