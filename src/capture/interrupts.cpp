#include "capture/interrupts.h"

#include "diagnostics/report_failure.h"
#include "platform/platform.h"

namespace {
BOOL WINAPI leaveToOthers(DWORD event) {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
}
}  // namespace

void leaveInterruptsToOthers() {
    reportFailure(SetConsoleCtrlHandler(leaveToOthers, TRUE), "SetConsoleCtrlHandler");
}

void takeInterruptsBack() {
    reportFailure(SetConsoleCtrlHandler(leaveToOthers, FALSE), "SetConsoleCtrlHandler");
}
