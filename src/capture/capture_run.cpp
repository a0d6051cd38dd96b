#include "capture/capture_run.h"

#include "capture/command_line.h"
#include "capture/endings.h"

// logPath names a log only once this run has created it.
CaptureRun::~CaptureRun() {
    if (logPath.empty()) return;
    stopDeletingLogOnEnding();
    DeleteFileA(logPath.c_str());
}

void CaptureRun::prepare(int count, const char* const* args) {
    buildCommandLine(count, args);
    openLogFile();
    createOutputPipe();
}

// From before the program can be interrupted until its output has ended.
void CaptureRun::run() {
    leaveInterruptsToOthers();
    launchTarget();
    pumpOutput();
    takeInterruptsBack();
}

void CaptureRun::buildCommandLine(int count, const char* const* args) {
    commandLine = commandLineFor(count, args, platform::executableSuffix(args[0]).c_str());
}
