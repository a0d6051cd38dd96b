#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "test_child.h"

namespace fs = std::filesystem;

namespace {
bool holdsLog() {
    const fs::path log = findLog();
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (fs::read_symlink(entry.path(), error) == log) return true;
    }
    return false;
}

int openDescriptors() {
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd"))
        count += !entry.is_directory();
    return count;
}

// The grandchild waits until its parent has gone, then writes.
void leaveGrandchild(const std::string& text) {
    const pid_t parent = getpid();
    if (fork() != 0) return;
    while (getppid() == parent) usleep(1000);
    writeAll(1, unescape(text));
    std::_Exit(0);
}
}  // namespace

void writeAll(int stream, const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t count = write(stream, bytes.data() + done, bytes.size() - done);
        if (count < 0) std::exit(100);
        done += static_cast<std::size_t>(count);
    }
}

bool platformAction(const std::string& name, const std::string& value) {
    if (name == "grandchild") {
        leaveGrandchild(value);
    } else if (name == "logfds") {
        writeAll(1, holdsLog() ? "log held\n" : "log not held\n");
    } else if (name == "sigpipe") {
        struct sigaction current {};
        sigaction(SIGPIPE, nullptr, &current);
        writeAll(1, current.sa_handler == SIG_DFL ? "SIGPIPE default\n" : "SIGPIPE not default\n");
    } else if (name == "fdcount") {
        writeAll(1, std::to_string(openDescriptors()) + "\n");
    } else {
        return false;
    }
    return true;
}
