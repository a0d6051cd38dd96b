// A child for the end-to-end tests. Each argument is one action, done in order:
//   out:TEXT / err:TEXT  write TEXT to standard output / error in one write
//   bytes:N              write N bytes of testPattern to standard output, in uneven writes
//   burst:N              write N bytes of testPattern to standard output in one write
//   keeplog:PATH         hard-link the capturing utility's log to PATH, to read it afterwards
//   env:NAME             print the value of NAME and a line end
//   grandchild:TEXT      leave a process behind that writes TEXT once we have exited
//   exit:N               exit with N
//   args                 print each argument after this one on a line of its own, and stop
//   argc                 print how many arguments follow this one, and stop
// and on POSIX only:
//   logfds               print whether any descriptor of ours is the log
//   sigpipe              print SIGPIPE's disposition
//   fdcount              print how many descriptors are open
// TEXT takes the escapes \n, \r, \0, \s (blank) and \\, since words cannot hold blanks.
#include "test_child.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include "test_pattern.h"

namespace fs = std::filesystem;

namespace {

void act(const std::string& action) {
    const std::size_t colon = action.find(':');
    const std::string name = action.substr(0, colon);
    const std::string value = colon == std::string::npos ? "" : action.substr(colon + 1);
    if (name == "out") {
        writeAll(1, unescape(value));
    } else if (name == "err") {
        writeAll(2, unescape(value));
    } else if (name == "bytes") {
        const std::string bytes = testPattern(std::stoul(value));
        for (std::size_t done = 0, step = 1; done < bytes.size();
             done += step, step = step * 7 % 5003) {
            writeAll(1, bytes.substr(done, step));
        }
    } else if (name == "burst") {
        writeAll(1, testPattern(std::stoul(value)));
    } else if (name == "keeplog") {
        std::error_code error;
        fs::create_hard_link(findLog(), value, error);
        if (error) std::exit(101);
    } else if (name == "env") {
        writeAll(1, std::string(std::getenv(value.c_str())) + "\n");
    } else if (name == "exit") {
        std::exit(std::stoi(value));
    } else if (!platformAction(name, value)) {
        std::exit(102);
    }
}
}  // namespace

std::string unescape(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            bytes += text[i];
            continue;
        }
        const char code = text[++i];
        bytes += code == 'n'   ? '\n'
                 : code == 'r' ? '\r'
                 : code == '0' ? '\0'
                 : code == 's' ? ' '
                               : code;
    }
    return bytes;
}

std::string findLog() {
    for (const auto& entry : fs::directory_iterator(std::getenv("TEMP"))) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("Tarvix", 0) == 0 && entry.path().extension() == ".log") {
            return entry.path().string();
        }
    }
    std::exit(103);
}

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
