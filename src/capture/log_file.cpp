#include <cstdlib>
#include <string>

#include "capture/capture_run.h"
#include "capture/endings.h"
#include "diagnostics/report_failure.h"

namespace {
// Tarvix<pid>-99.log is the last name tried.
constexpr int kLastLogNumber = 99;

// The directory named by the first temporary-directory variable that is present and not empty
// (an empty TMPDIR means none to glibc too), else the platform's default place. It is joined as it
// stands, never normalised.
std::string logDirectory() {
    for (const char* name : platform::kTempVariables) {
        const char* directory = std::getenv(name);
        if (directory && *directory) return directory + std::string(platform::kPathSeparator);
    }
    return platform::kDefaultTempDirectory;
}
}  // namespace

// The log is only ever a file this run created: a name that is taken (by a run in another PID
// namespace, by a file or link someone planted in a shared directory) is left alone, and the next
// one tried, Tarvix<pid>-1.log and on. Only a created log is named, and so viewed and deleted.
void CaptureRun::openLogFile() {
    const std::string stem = logDirectory() + "Tarvix" + std::to_string(GetCurrentProcessId());
    std::string path = stem + ".log";
    for (int number = 1;; ++number) {
        logFile = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (logFile != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS ||
            number > kLastLogNumber) {
            break;
        }
        path = stem + "-" + std::to_string(number) + ".log";
    }
    reportFailure(logFile != INVALID_HANDLE_VALUE, "CreateFile");
    if (logFile == INVALID_HANDLE_VALUE) return;
    logPath = path;
    deleteLogOnEnding(logFile, logPath);
}
