// The program the end-to-end tests capture, and their viewer, on the C and C++ libraries and the
// system's own calls alone. It does its actions in order, then exits 7, which must not become the
// utility's:
//   out:TEXT, err:TEXT  write TEXT to standard output / error in one write (\n, \r, \0, \s: a line
//                       feed, a carriage return, a zero byte, a blank)
//   bytes:N             write N bytes, every byte value among them, in one write
//   lines:N             write N lines in one write, each its number in six digits ("000001\n"...),
//                       which a terminal shows unchanged but for its carriage return
//   file:PATH           write the file's bytes in one write
//   forever:TEXT        write TEXT again and again, until a write fails
//   later:TEXT          leave a process behind that writes "got " and TEXT once we have exited
//   sleep:MS; args      wait MS milliseconds; write each later argument on a line of its own
//   ask:TEXT            write TEXT, read a line from standard input and write "got LINE"
//   nonblock            (POSIX) make our standard input non-blocking, as node and asyncio do to a
//                       terminal, whose open file we share with whoever started us
//   onint:TEXT          on an interrupt, write TEXT before it ends us
//   fds; signals        (Linux) the files our descriptors are open on; the signals we block and
//                       ignore
//   locale              the locale's variables as we got them, a line each
//   error:N             the C library's text for error N in the environment's locale
//   awaited             once the utility that started us waits for us, go on; end if it does not
//   view:TAG            be the viewer of the log named last: write a line saying what we were
//                       given and have to standard output and error, and put it and the log
//                       into $VIEWER_SEEN/TAG
#include <algorithm>
#include <cctype>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace fs = std::filesystem;

namespace {
// What differs between the systems, a function each; descriptors 0 to 2 name the standard handles.
#ifdef _WIN32
HANDLE standard(int fd) {
    const DWORD handles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    return GetStdHandle(handles[fd]);
}
#endif

// The whole buffer in one write, to standard output (1) or error (2).
bool put(const std::string& bytes, int fd = 1) {
#ifdef _WIN32
    DWORD count = 0;
    return WriteFile(standard(fd), bytes.data(), DWORD(bytes.size()), &count, nullptr);
#else
    ssize_t count;
    while ((count = write(fd, bytes.data(), bytes.size())) < 0 && errno == EINTR) continue;
    return count >= 0;
#endif
}

// One read of up to 80 bytes of standard input (of a terminal, a line); nothing if it has ended
// or fails.
std::string takeInput() {
    char bytes[80];
#ifdef _WIN32
    DWORD count = 0;
    ReadFile(standard(0), bytes, sizeof bytes, &count, nullptr);
#else
    ssize_t count;
    while ((count = read(0, bytes, sizeof bytes)) < 0 && errno == EINTR) continue;
    if (count < 0) count = 0;
#endif
    return std::string(bytes, count);
}

bool isTerminal(int fd) {
#ifdef _WIN32
    DWORD mode = 0;
    return GetConsoleMode(standard(fd), &mode);
#else
    return isatty(fd);
#endif
}

// This program again, holding our standard output and error after we exit. It writes once we
// have exited, which it learns when its read of the input we give it ends: a pipe whose other end
// only we hold.
void leaveBehind(const std::string& self, const std::string& text) {
#ifdef _WIN32
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE input = nullptr, ours = nullptr, kept = nullptr;
    CreatePipe(&input, &ours, &inheritable, 0);
    DuplicateHandle(GetCurrentProcess(), ours, GetCurrentProcess(), &kept, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    CloseHandle(ours);
    SetStdHandle(STD_INPUT_HANDLE, input);
    std::string line = "\"" + self + "\" ask: out:" + text;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                   &process);
#else
    int ends[2];
    if (pipe(ends) != 0) return;
    fcntl(ends[1], F_SETFD, FD_CLOEXEC);  // nothing we start later may keep it open
    if (fork() == 0) {
        dup2(ends[0], 0);
        if (ends[0] != 0) close(ends[0]);
        close(ends[1]);
        std::string ask = "ask:", out = "out:" + text;
        char* const args[] = {const_cast<char*>(self.c_str()), ask.data(), out.data(), nullptr};
        execvp(self.c_str(), args);  // as it was found when named without a path
        _exit(127);
    }
    close(ends[0]);
#endif
}

std::string lastWords;

// Once said, the interrupt ends us as it would have.
#ifdef _WIN32
BOOL WINAPI sayLastWords(DWORD) {
    put(lastWords);
    return FALSE;
}
#else
void sayLastWords(int number) {
    put(lastWords);
    signal(number, SIG_DFL);
    raise(number);  // delivered, with its default action, once this returns
}
#endif

void sayOnInterrupt(const std::string& text) {
    lastWords = text;
#ifdef _WIN32
    SetConsoleCtrlHandler(sayLastWords, TRUE);
#else
    // One ignored stays so, as whoever started us asked. glibc's and musl's signal restart what
    // the handler cuts short, and hold off another interrupt until it returns.
    struct sigaction before {};
    sigaction(SIGINT, nullptr, &before);
    if (before.sa_handler != SIG_IGN) signal(SIGINT, sayLastWords);
#endif
}

void makeInputNonBlocking() {
#ifndef _WIN32
    fcntl(0, F_SETFL, fcntl(0, F_GETFL) | O_NONBLOCK);
#endif
}

long processId() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return getpid();
#endif
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

// Whether the utility that started us waits for us, once it does (Linux shows its wait in /proc);
// false once it has ended without. Elsewhere (under wine /proc is there, but not our process id),
// after a while, by when one that does not wait has deleted the log.
bool awaited() {
    const std::string stat = fileOf("/proc/self/stat");
    const std::string self = stateAndParent(stat);
    if (stat.rfind(std::to_string(processId()) + " ", 0) != 0) {
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
    const bool terminal = isTerminal(0) && isTerminal(1) && isTerminal(2);
    std::error_code error;
    const std::string said =
        "viewer " + tag + ": " + log + ", terminal " + (terminal ? "yes" : "no") + ", " +
        std::to_string(openFiles().size()) + " descriptors, mode " +
        std::to_string(static_cast<int>(fs::status(log, error).permissions())) + ", " +
        std::to_string(defunctSiblings()) + " defunct\n";
    std::ofstream(fs::path(std::getenv("VIEWER_SEEN")) / tag, std::ios::binary)
        << said << fileOf(log);
    put(said);
    put(said, 2);
}
}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string action = argv[i];
        const std::string name = action.substr(0, action.find(':'));
        const std::string value = action.substr(std::min(action.size(), name.size() + 1));
        if (name == "out" || name == "err") {
            put(unescape(value), name == "out" ? 1 : 2);
        } else if (name == "bytes") {
            std::string bytes(std::stoul(value), '\0');
            for (std::size_t at = 0; at < bytes.size(); ++at) bytes[at] = char(at * 131 + at / 256);
            put(bytes);
        } else if (name == "lines") {
            std::string lines;
            char line[16];
            for (int at = 1, count = std::stoi(value); at <= count; ++at)
                lines.append(line, std::snprintf(line, sizeof line, "%06d\n", at));
            put(lines);
        } else if (name == "file") {
            put(fileOf(value));
        } else if (name == "forever") {
            while (put(unescape(value))) continue;
        } else if (name == "later") {
            leaveBehind(argv[0], value);
        } else if (name == "sleep") {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(value)));
        } else if (name == "ask") {
            put(unescape(value));
            put("got " + takeInput());
        } else if (name == "nonblock") {
            makeInputNonBlocking();
        } else if (name == "fds") {
            for (const fs::path& file : openFiles()) put(file.string() + "\n");
        } else if (name == "onint") {
            sayOnInterrupt(unescape(value));
        } else if (name == "signals") {
            const std::string status = fileOf("/proc/self/status");
            put(status.substr(status.find("SigBlk:"), 50));
        } else if (name == "locale") {
            for (const char* variable : {"LANG", "LC_ALL", "LC_MESSAGES", "LANGUAGE"}) {
                const char* value = std::getenv(variable);
                put(variable + ("=" + std::string(value ? value : "-")) + "\n");
            }
        } else if (name == "error") {
            std::setlocale(LC_ALL, "");
            put(std::strerror(std::stoi(value)));
        } else if (name == "args") {
            while (++i < argc) put(argv[i] + std::string("\n"));
        } else if (name == "awaited") {
            if (!awaited()) break;
        } else if (name == "view") {
            view(value, argv[argc - 1]);
        }
    }
    return 7;
}
