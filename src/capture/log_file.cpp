#include <cstdlib>
#include <string>

#include "capture/capture_run.h"
#include "diagnostics/report_failure.h"

namespace {
// "Tarvix<pid>.log" in the directory named by the first temporary-directory variable present
// (even when empty), else in the platform's default place. The directory is joined as it stands,
// never normalised.
std::string logPathFor(DWORD processId) {
    const std::string fileName = "Tarvix" + std::to_string(processId) + ".log";
    for (const char* name : platform::kTempVariables) {
        if (const char* directory = std::getenv(name)) {
            return directory + std::string(platform::kPathSeparator) + fileName;
        }
    }
    return platform::kDefaultTempDirectory + fileName;
}
}  // namespace

void CaptureRun::openLogFile() {
    logPath = logPathFor(GetCurrentProcessId());
    logFile = CreateFileA(logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    reportFailure(logFile != INVALID_HANDLE_VALUE, "CreateFile");
}
