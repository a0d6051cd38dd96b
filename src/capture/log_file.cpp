#include "capture/log_file.h"

#include <cstdlib>

#include "capture/capture_run.h"
#include "diagnostics/report_failure.h"

std::string logPathFor(unsigned long processId, const EnvironmentLookup& variable) {
    const std::string fileName = "Tarvix" + std::to_string(processId) + ".log";
    for (const char* name : platform::kTempVariables) {
        if (const char* directory = variable(name)) {
            return directory + std::string(platform::kPathSeparator) + fileName;
        }
    }
    return platform::kDefaultTempDirectory + fileName;
}

void CaptureRun::openLogFile() {
    logPath = logPathFor(GetCurrentProcessId(), std::getenv);
    logFile = CreateFileA(logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    reportFailure(logFile != INVALID_HANDLE_VALUE, "CreateFile");
}
