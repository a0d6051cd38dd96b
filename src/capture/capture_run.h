#pragma once

#include <string>
#include <vector>

#include "capture/log_file.h"
#include "system/pipe.h"
#include "system/process.h"

// One run: the program's command line, the log and the pipe that carries the program's output.
// Each handle is closed by the operation that uses it last; the log is deleted as the run ends.
class CaptureRun {
public:
    CaptureRun() = default;
    // Virtual, as the run object's destructor has always been; nothing derives from it.
    virtual ~CaptureRun() = default;
    CaptureRun(const CaptureRun&) = delete;
    CaptureRun& operator=(const CaptureRun&) = delete;

    // count is at least 1; args[0] is the target program, the rest are its arguments.
    void prepare(int count, const char* const* args);
    // Launches the program and pumps its output; returns when the pipe's last writer is gone and
    // the program has ended. The interrupt and quit keys are the program's meanwhile.
    void run();
    // How the program ended, once run has returned.
    const sys::ProgramEnd& programEnd() const { return ended; }
    // The log, for the viewer: closed once the run is over, deleted as the run ends.
    const LogFile& log() const { return logFile; }

private:
    void buildCommandLine(int count, const char* const* args);
    void openLogFile();
    void createOutputPipe();
    void launchTarget();
    void pumpOutput();

    LogFile logFile;
    sys::Pipe pipe;
    // The program and its arguments, each whole: only Windows makes one line of them.
    std::vector<std::string> commandLine;
    bool started = false;
    sys::ProgramEnd ended;
};
