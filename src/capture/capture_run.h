#pragma once

#include <string>

#include "platform/platform.h"

// One run of the utility: the child's command line, the log file and the pipe that carries the
// child's standard output and error. Each handle is closed by the operation that uses it last;
// destruction deletes the log, which any ending the utility can catch does before it.
class CaptureRun {
public:
    CaptureRun() = default;
    // Virtual, as the run object's destructor has always been; nothing derives from it.
    virtual ~CaptureRun();
    CaptureRun(const CaptureRun&) = delete;
    CaptureRun& operator=(const CaptureRun&) = delete;

    // count is at least 1; args[0] is the target program, the rest are its arguments.
    void prepare(int count, const char* const* args);
    // Launches the child and pumps its output; returns when the pipe's last writer is gone. The
    // interrupt and quit keys are the child's meanwhile.
    void run();
    // Opens the log in the viewer and waits until the viewer ends; with no log, does nothing.
    void viewLog();

private:
    void buildCommandLine(int count, const char* const* args);
    void openLogFile();
    void createOutputPipe();
    void launchTarget();
    void pumpOutput();

    // Null again once closed.
    HANDLE logFile = nullptr;
    HANDLE pipeRead = nullptr;
    HANDLE errorWrite = nullptr;
    HANDLE pipeWrite = nullptr;
    // The standard output and error the utility was started with, given back to the viewer.
    HANDLE originalOutput = nullptr;
    HANDLE originalError = nullptr;
    std::string commandLine;
    // Set once the log is created.
    std::string logPath;
};
