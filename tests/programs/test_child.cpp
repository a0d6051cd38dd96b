// A child for the end-to-end tests. Each argument is one action, done in order:
//   out:TEXT / err:TEXT  write TEXT to standard output / error in one write
//   bytes:N              write N bytes of testPattern to standard output, in uneven writes
//   burst:N              write N bytes of testPattern to standard output in one write
//   args                 print each argument after this one on a line of its own, and stop
//   argc                 print how many arguments follow this one, and stop
//   env:NAME             print the value of NAME and a line end
//   fdcount              print how many descriptors are open
//   keeplog:PATH         hard-link the capturing utility's log to PATH, to read it afterwards
//   logfds               print whether any descriptor of ours is the log
//   sigpipe              print SIGPIPE's disposition
//   grandchild:TEXT      leave a process behind that writes TEXT once we have exited
//   exit:N               exit with N
// TEXT takes the escapes \n, \0, \s (blank) and \\, since words cannot hold blanks.
#include <signal.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "test_pattern.h"

namespace {
std::string unescape(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            bytes += text[i];
            continue;
        }
        const char code = text[++i];
        bytes += code == 'n' ? '\n' : code == '0' ? '\0' : code == 's' ? ' ' : code;
    }
    return bytes;
}

void writeAll(int fd, const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t count = write(fd, bytes.data() + done, bytes.size() - done);
        if (count < 0) std::exit(100);
        done += static_cast<std::size_t>(count);
    }
}

std::string logPath() {
    const char* temp = std::getenv("TEMP");
    return std::string(temp ? temp : ".") + "/Tarvix" + std::to_string(getppid()) + ".log";
}

bool holdsLog() {
    const std::filesystem::path log = logPath();
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path(), error) == log) return true;
    }
    return false;
}

void leaveGrandchild(const std::string& text) {
    const pid_t parent = getpid();
    if (fork() != 0) return;
    while (getppid() == parent) usleep(1000);
    writeAll(1, text);
    std::_Exit(0);
}

int openDescriptors() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        count += !entry.is_directory();
    }
    return count;
}

void act(const std::string& action) {
    const std::size_t colon = action.find(':');
    const std::string name = action.substr(0, colon);
    const std::string value = colon == std::string::npos ? "" : action.substr(colon + 1);
    if (name == "out")
        writeAll(1, unescape(value));
    else if (name == "err")
        writeAll(2, unescape(value));
    else if (name == "bytes") {
        const std::string bytes = testPattern(std::stoul(value));
        for (std::size_t done = 0, step = 1; done < bytes.size();
             done += step, step = step * 7 % 5003) {
            writeAll(1, bytes.substr(done, step));
        }
    } else if (name == "burst") {
        writeAll(1, testPattern(std::stoul(value)));
    } else if (name == "env") {
        writeAll(1, std::string(std::getenv(value.c_str())) + "\n");
    } else if (name == "fdcount") {
        writeAll(1, std::to_string(openDescriptors()) + "\n");
    } else if (name == "keeplog") {
        if (link(logPath().c_str(), value.c_str()) != 0) std::exit(101);
    } else if (name == "logfds")
        writeAll(1, holdsLog() ? "log held\n" : "log not held\n");
    else if (name == "sigpipe") {
        struct sigaction current {};
        sigaction(SIGPIPE, nullptr, &current);
        writeAll(1, current.sa_handler == SIG_DFL ? "SIGPIPE default\n" : "SIGPIPE not default\n");
    } else if (name == "grandchild")
        leaveGrandchild(unescape(value));
    else if (name == "exit")
        std::exit(std::stoi(value));
    else
        std::exit(102);
}
}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string action = argv[i];
        if (action == "argc") {
            writeAll(1, std::to_string(argc - i - 1) + "\n");
            return 0;
        }
        if (action == "args") {
            while (++i < argc) writeAll(1, argv[i] + std::string("\n"));
            return 0;
        }
        act(action);
    }
    return 0;
}
