#include "capture/log_file.h"

#include "diagnostics/report_failure.h"
#include "system/ending.h"
#include "system/files.h"

namespace {
// Tarvix<pid>-99.log is the last name tried.
constexpr int kLastLogNumber = 99;

// The one log an ending deletes: one run per process.
LogFile* endingLog = nullptr;
}  // namespace

// A name that is taken (by a run in another PID namespace, by a file or link someone planted in a
// shared folder) is left alone, and the next one tried, Tarvix<pid>-1.log and on.
void LogFile::create() {
    const std::string stem = sys::temporaryFolder() + "Tarvix" + std::to_string(sys::processId());
    std::string path = stem + ".log";
    sys::Creation creation;
    for (int number = 1; (creation = sys::createNewFile(path, handle_)) == sys::Creation::Taken &&
                         number <= kLastLogNumber;
         ++number) {
        path = stem + "-" + std::to_string(number) + ".log";
    }
    const bool created = creation == sys::Creation::Created;
    reportFailure(created, "CreateFile");
    if (!created) return;
    path_ = path;
    endingLog = this;
    reportFailure(sys::onEnding(deleteOnEnding), "SetConsoleCtrlHandler");
}

LogFile::~LogFile() {
    if (!created()) return;
    sys::noLongerOnEnding(deleteOnEnding);
    close();
    sys::removeFile(path_.c_str());
}

// Windows deletes no open file: the log is closed first, while the pump may still write it.
void LogFile::deleteOnEnding() {
    endingLog->close();
    sys::removeFile(endingLog->path_.c_str());
}
