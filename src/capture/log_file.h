#pragma once

#include <string>

#include "system/handle.h"

// The run's log: a file of its own in the temporary folder, deleted however the run ends (any
// ending the utility can catch deletes it first). One it cannot create is none.
class LogFile {
public:
    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Creates the log, reporting "CreateFile" when it cannot.
    void create();
    bool created() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    bool isOpen() const { return static_cast<bool>(handle_); }
    sys::Handle::Native handle() const { return handle_.get(); }
    // What the log was being written has ended: a failed close changes nothing.
    void close() { handle_.close(); }

private:
    static void deleteOnEnding();

    std::string path_;
    sys::Handle handle_;
};
