#include "capture/log_file.h"

#include <cstdlib>

#include "diagnostics/report_failure.h"

namespace {
// Tarvix<pid>-99.log is the last name tried.
constexpr int kLastLogNumber = 99;

// The one log an ending deletes: one run per process.
LogFile* endingLog = nullptr;

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

// A name that is taken (by a run in another PID namespace, by a file or link someone planted in a
// shared directory) is left alone, and the next one tried, Tarvix<pid>-1.log and on.
void LogFile::create() {
    const std::string stem = logDirectory() + "Tarvix" + std::to_string(GetCurrentProcessId());
    std::string path = stem + ".log";
    HANDLE file;
    for (int number = 1;; ++number) {
        file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS ||
            number > kLastLogNumber) {
            break;
        }
        path = stem + "-" + std::to_string(number) + ".log";
    }
    reportFailure(file != INVALID_HANDLE_VALUE, "CreateFile");
    if (file == INVALID_HANDLE_VALUE) return;
    handle_.reset(file);
    path_ = path;
    endingLog = this;
    reportFailure(SetConsoleCtrlHandler(deleteAndEnd, TRUE), "SetConsoleCtrlHandler");
}

LogFile::~LogFile() {
    if (!created()) return;
    reportFailure(SetConsoleCtrlHandler(deleteAndEnd, FALSE), "SetConsoleCtrlHandler");
    close();
    DeleteFileA(path_.c_str());
}

// Any ending that reaches it (an interrupt at the prompt, the console's close, logoff or shutdown;
// SIGTERM, SIGHUP) deletes the log, then lets the utility end as it would. Windows deletes no open
// file: the log is closed first while the pump still writes it.
BOOL WINAPI LogFile::deleteAndEnd(DWORD) {
    endingLog->close();
    DeleteFileA(endingLog->path_.c_str());
    return FALSE;
}
