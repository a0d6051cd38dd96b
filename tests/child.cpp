// The program the end-to-end tests capture, and their viewer, written against the Win32 names as
// the utility is. It does its actions in order, then exits 7, which must not become the utility's:
//   out:TEXT, err:TEXT  write TEXT to standard output / error in one write (\n, \r, \0, \s: a line
//                       feed, a carriage return, a zero byte, a blank)
//   bytes:N             write N bytes, every byte value among them, in one write
//   file:PATH           write the file's bytes in one write
//   forever:TEXT        write TEXT again and again, until a write fails
//   later:TEXT          leave a process behind that writes "got " and TEXT once we have exited
//   sleep:MS; args      wait MS milliseconds; write each later argument on a line of its own
//   ask:TEXT            write TEXT, read a line from standard input and write "got LINE"
//   onint:TEXT          on an interrupt, write TEXT before it ends us
//   fds; signals        (Linux) the files our descriptors are open on; the signals we block and
//                       ignore
//   locale              the locale's variables as we got them, a line each
//   error:N             the C library's text for error N in the environment's locale
//   awaited             once the utility that started us waits for us, go on; end if it does not
//   view:TAG            be the viewer of the log named last: write a line saying what we were
//                       given and have to standard output and error, and put it and the log
//                       into $VIEWER_SEEN/TAG
#include <cctype>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {
bool write(const std::string& bytes, DWORD stream = STD_OUTPUT_HANDLE) {
    DWORD count = 0;
    return WriteFile(GetStdHandle(stream), bytes.data(), DWORD(bytes.size()), &count, nullptr);
}

std::string unescape(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t code = text[i] == '\\' ? std::string("nr0s").find(text[i + 1]) : 4;
        bytes += code < 4 ? "\n\r\0 "[code] : text[i];
        i += code < 4;
    }
    return bytes;
}

// By a narrow name, which the C runtime takes in the ANSI code page as the utility gives it.
std::string fileOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// Each file our descriptors are open on, but the directory read here.
std::vector<fs::path> openFiles() {
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator entry("/proc/self/fd", error), end; entry != end; ++entry)
        if (!entry->is_directory()) files.push_back(fs::read_symlink(entry->path(), error));
    return files;
}

// This program again, holding our standard output and error after we exit. It writes once we
// have exited, which it learns when its read of the input we give it ends: a pipe whose other end
// only we hold.
void leaveBehind(const std::string& self, const std::string& text) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE input = nullptr, ours = nullptr, kept = nullptr;
    CreatePipe(&input, &ours, &inheritable, 0);
    DuplicateHandle(GetCurrentProcess(), ours, GetCurrentProcess(), &kept, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    CloseHandle(ours);
    SetStdHandle(STD_INPUT_HANDLE, input);
    std::string line = "\"" + self + "\" ask: out:" + text;
    STARTUPINFOA startup{sizeof startup};
    PROCESS_INFORMATION process{};
    CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                   &process);
}

// "state parent" from a /proc stat line: "pid (name) state parent ...".
std::string stateAndParent(const std::string& stat) {
    std::istringstream fields(stat.substr(std::min(stat.size(), stat.rfind(')') + 1)));
    std::string state, parent;
    fields >> state >> parent;
    return state + " " + parent;
}

// Our parent's children that have ended and are not reaped (Linux).
int defunctSiblings() {
    const std::string self = stateAndParent(fileOf("/proc/self/stat"));
    int count = 0;
    std::error_code error;
    for (fs::directory_iterator entry("/proc", error), end; entry != end; entry.increment(error))
        count += std::isdigit(entry->path().filename().string()[0]) &&
                 stateAndParent(fileOf(entry->path().string() + "/stat")) ==
                     "Z" + self.substr(self.find(' '));
    return count;
}

std::string lastWords;

BOOL WINAPI sayLastWords(DWORD) {
    write(lastWords);
    return FALSE;
}

// Whether the utility that started us waits for us, once it does (Linux shows its wait in /proc);
// false once it has ended without. Elsewhere (under wine /proc is there, but not our process id),
// after a while, by when one that does not wait has deleted the log.
bool awaited() {
    const std::string stat = fileOf("/proc/self/stat");
    const std::string self = stateAndParent(stat);
    if (stat.rfind(std::to_string(GetCurrentProcessId()) + " ", 0) != 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return true;
    }
    const std::string parent = "/proc/" + self.substr(self.find(' ') + 1);
    while (fileOf(parent + "/wchan") != "do_wait") {
        const char state = stateAndParent(fileOf(parent + "/stat"))[0];
        if (state == 'Z' || state == 'X' || state == ' ') return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void view(const std::string& tag, const std::string& log) {
    DWORD mode = 0;
    bool terminal = true;
    for (const DWORD stream : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE})
        terminal = terminal && GetConsoleMode(GetStdHandle(stream), &mode);
    std::error_code error;
    const std::string said =
        "viewer " + tag + ": " + log + ", terminal " + (terminal ? "yes" : "no") + ", " +
        std::to_string(openFiles().size()) + " descriptors, mode " +
        std::to_string(static_cast<int>(fs::status(log, error).permissions())) + ", " +
        std::to_string(defunctSiblings()) + " defunct\n";
    std::ofstream(fs::path(std::getenv("VIEWER_SEEN")) / tag, std::ios::binary)
        << said << fileOf(log);
    write(said);
    write(said, STD_ERROR_HANDLE);
}
}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string action = argv[i];
        const std::string name = action.substr(0, action.find(':'));
        const std::string value = action.substr(std::min(action.size(), name.size() + 1));
        if (name == "out" || name == "err") {
            write(unescape(value), name == "out" ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
        } else if (name == "bytes") {
            std::string bytes(std::stoul(value), '\0');
            for (std::size_t at = 0; at < bytes.size(); ++at) bytes[at] = char(at * 131 + at / 256);
            write(bytes);
        } else if (name == "file") {
            write(fileOf(value));
        } else if (name == "forever") {
            while (write(unescape(value))) continue;
        } else if (name == "later") {
            leaveBehind(argv[0], value);
        } else if (name == "sleep") {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(value)));
        } else if (name == "ask") {  // on a terminal, one read takes a whole line
            write(unescape(value));
            char line[80];
            DWORD count = 0;
            ReadFile(GetStdHandle(STD_INPUT_HANDLE), line, sizeof line, &count, nullptr);
            write("got " + std::string(line, count));
        } else if (name == "fds") {
            for (const fs::path& file : openFiles()) write(file.string() + "\n");
        } else if (name == "onint") {
            lastWords = unescape(value);
            SetConsoleCtrlHandler(sayLastWords, TRUE);
        } else if (name == "signals") {
            const std::string status = fileOf("/proc/self/status");
            write(status.substr(status.find("SigBlk:"), 50));
        } else if (name == "locale") {
            for (const char* variable : {"LANG", "LC_ALL", "LC_MESSAGES", "LANGUAGE"}) {
                const char* value = std::getenv(variable);
                write(variable + ("=" + std::string(value ? value : "-")) + "\n");
            }
        } else if (name == "error") {
            std::setlocale(LC_ALL, "");
            write(std::strerror(std::stoi(value)));
        } else if (name == "args") {
            while (++i < argc) write(argv[i] + std::string("\n"));
        } else if (name == "awaited") {
            if (!awaited()) break;
        } else if (name == "view") {
            view(value, argv[argc - 1]);
        }
    }
    return 7;
}
