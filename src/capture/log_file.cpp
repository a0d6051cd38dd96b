#include "capture/log_file.h"

#include <cstdlib>

#include "capture/capture_run.h"
#include "diagnostics/report_failure.h"

std::string logPathFor(unsigned long processId) {
    const std::string name = "Tarvix" + std::to_string(processId) + ".log";
    for (const char* variable : platform::kTempVariables) {
        if (const char* directory = std::getenv(variable)) {
            return directory + std::string(platform::kPathSeparator) + name;
        }
    }
    return name;
}

void CaptureRun::openLogFile() {
    logPath = logPathFor(GetCurrentProcessId());
    logFile = CreateFileA(logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    reportFailure(logFile != INVALID_HANDLE_VALUE, "CreateFile");
}
