#include "capture/capture_run.h"
#include "diagnostics/report_failure.h"
#include "interaction/output.h"

namespace {
// Small, so that each piece of output is logged and shown as soon as it arrives.
constexpr DWORD kPumpChunkBytes = 64;
// Reads of a pipe that keep failing end the pump as its end would.
constexpr int kMaxFailedReads = 16;

// Copies until every writer is gone, or until nobody reads the echo. Whenever the program is
// quiet, what the output holds goes out before the read waits for more.
void copyPipe(HANDLE pipeRead, HANDLE logFile) {
    char chunk[kPumpChunkBytes];
    bool logging = logFile != INVALID_HANDLE_VALUE;
    platform::PipeReader reader(pipeRead, flushOutput);
    for (int failedReads = 0; failedReads < kMaxFailedReads;) {
        DWORD count = 0;
        const BOOL readOk = reader.read(chunk, kPumpChunkBytes, &count);
        if (nobodyReads() || (!readOk && GetLastError() == ERROR_BROKEN_PIPE)) break;
        reportFailure(readOk, "ReadFile");
        if (!readOk) {
            ++failedReads;
            continue;
        }
        failedReads = 0;
        if (count == 0) continue;
        if (logging) {
            DWORD written = 0;
            logging = WriteFile(logFile, chunk, count, &written, nullptr);
            reportFailure(logging, "WriteFile");
        }
        if (!writeOutput(chunk, count)) break;
    }
}
}  // namespace

// Copies the pipe into the log and onto standard output until every writer is gone. The echo
// is every byte read, zero bytes included, whether or not the log took them. The log is a
// convenience and the echo the job: a log that was never created is not written, and one that
// fails a write is reported once and written no more, so that reports do not cut into the echo.
// Once nobody reads the echo (the reader of our output has gone, as `| head` does), the run is
// over: closing the read end tells the child that nobody reads, as a pipeline expects.
// With no pipe there is nothing to copy: CreatePipe's failure, the one that matters, has been
// reported, and the program writes nowhere.
void CaptureRun::pumpOutput() {
    if (pipeRead) copyPipe(pipeRead, logFile);
    endEcho();
    CloseHandle(logFile);
    logFile = nullptr;
    CloseHandle(pipeRead);
}
