#include "capture/endings.h"

#include "diagnostics/report_failure.h"

namespace {
const HANDLE* openLog = nullptr;
const char* logToDelete = nullptr;

// Windows deletes no open file: the log is closed first while the pump still writes it.
BOOL WINAPI deleteLogAndEnd(DWORD) {
    if (*openLog) CloseHandle(*openLog);
    DeleteFileA(logToDelete);
    return FALSE;
}

BOOL WINAPI leaveToOthers(DWORD event) {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
}
}  // namespace

void deleteLogOnEnding(const HANDLE& logFile, const std::string& logPath) {
    openLog = &logFile;
    logToDelete = logPath.c_str();
    reportFailure(SetConsoleCtrlHandler(deleteLogAndEnd, TRUE), "SetConsoleCtrlHandler");
}

void stopDeletingLogOnEnding() {
    reportFailure(SetConsoleCtrlHandler(deleteLogAndEnd, FALSE), "SetConsoleCtrlHandler");
}

void leaveInterruptsToOthers() {
    reportFailure(SetConsoleCtrlHandler(leaveToOthers, TRUE), "SetConsoleCtrlHandler");
}

void takeInterruptsBack() {
    reportFailure(SetConsoleCtrlHandler(leaveToOthers, FALSE), "SetConsoleCtrlHandler");
}
