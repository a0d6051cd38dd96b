#include "capture/capture_run.h"

#include "capture/command_line.h"

// Only a log this run created is deleted: when the open failed, the file at that path is not ours.
CaptureRun::~CaptureRun() {
    if (!logPath.empty() && logFile != INVALID_HANDLE_VALUE) DeleteFileA(logPath.c_str());
}

void CaptureRun::prepare(int count, const char* const* args) {
    buildCommandLine(count, args);
    openLogFile();
    createOutputPipe();
}

void CaptureRun::run() {
    launchTarget();
    pumpOutput();
}

void CaptureRun::buildCommandLine(int count, const char* const* args) {
    commandLine = commandLineFor(count, args, platform::executableSuffix(args[0]).c_str());
}
