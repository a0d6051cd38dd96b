#include "capture/pump.h"

#include "diagnostics/report_failure.h"
#include "output/output.h"

namespace {
// Small, so that each piece of output is logged and shown as soon as it arrives.
constexpr DWORD kPumpChunkBytes = 64;
// Reads of a pipe that keep failing end the pump as its end would.
constexpr int kMaxFailedReads = 16;

}  // namespace

// Whenever the program is quiet, what the output holds goes out before the read waits for more.
// The echo is every byte read, zero bytes included, whether or not the log took them. The log is
// a convenience and the echo the job: a log that fails a write is reported once and written no
// more, so that reports do not cut into the echo.
void copyPipe(HANDLE pipeRead, HANDLE logFile) {
    char chunk[kPumpChunkBytes];
    bool logging = logFile != nullptr;
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
