#include "capture/capture_run.h"

#include "diagnostics/report_failure.h"
#include "output/output.h"
#include "system/ending.h"
#include "system/errors.h"
#include "system/files.h"
#include "system/process.h"

namespace {
// As much as a pipe holds on Linux. A read returns at once with whatever the pipe holds, so each
// piece is still logged and shown as soon as it arrives; bulk output costs a read, a log write and
// an echo per 64 KiB rather than per 64 bytes.
constexpr std::size_t kPumpChunkBytes = 64 * 1024;
// Reads of a pipe that keep failing end the pump as its end would.
constexpr int kMaxFailedReads = 16;
}  // namespace

void CaptureRun::prepare(int count, const char* const* args) {
    buildCommandLine(count, args);
    openLogFile();
    createOutputPipe();
}

// From before the program can be interrupted until its output has ended.
void CaptureRun::run() {
    sys::leaveInterruptsToOthers(true);
    launchTarget();
    pumpOutput();
    if (started) ended = sys::waitForProgram();
    sys::leaveInterruptsToOthers(false);
}

void CaptureRun::buildCommandLine(int count, const char* const* args) {
    commandLine.assign(args, args + count);
}

void CaptureRun::openLogFile() {
    logFile.create();
}

void CaptureRun::createOutputPipe() {
    reportFailure(sys::createPipe(pipe), "CreatePipe");
}

// Once the program has its copy of the write end, ours is closed, so that the pipe ends when the
// program's does.
void CaptureRun::launchTarget() {
    started = sys::startProgram(commandLine, pipe.write);
    if (!started) ended = sys::notStarted(sys::lastError());
    reportFailure(started, "CreateProcess");
    reportFailure(pipe.write.close(), "CloseHandle");
}

// The echo is every byte read, zero bytes included, whether or not the log took them: the log is
// a convenience and the echo the job, so a log that fails a write is reported once and written no
// more. Once nobody reads the echo (as `| head` does), the run is over: closing the read end
// tells the program so, as a pipeline expects.
void CaptureRun::pumpOutput() {
    char chunk[kPumpChunkBytes];
    bool logging = logFile.isOpen();
    for (int failedReads = 0; pipe.read && failedReads < kMaxFailedReads;) {
        std::size_t count = 0;
        const sys::PipeRead read =
            sys::readPipe(pipe.read, chunk, kPumpChunkBytes, count, flushOutput);
        if (nobodyReads() || read == sys::PipeRead::End) break;
        reportFailure(read == sys::PipeRead::Bytes, "ReadFile");
        failedReads = read == sys::PipeRead::Failed ? failedReads + 1 : 0;
        if (count == 0) continue;
        if (logging) {
            logging = sys::writeAll(logFile.handle(), chunk, count);
            reportFailure(logging, "WriteFile");
        }
        if (!writeOutput(chunk, count)) break;
    }
    endEcho();
    logFile.close();
    pipe.read.close();
}
