// The program the end-to-end tests capture, and their viewer, on the C and C++ libraries and the
// system's own calls alone. It does its actions in order, then exits 7, which becomes the
// utility's. out, err, bytes, lines, file and fds write in one write.
//   out:TEXT, err:TEXT  write TEXT to standard output / error (\n, \r, \0, \s: LF, CR, NUL, blank)
//   bytes:N; file:PATH  write N bytes, every byte value among them; the file's bytes
//   lines:N             write N lines, each its number in six digits ("000001\n"...)
//   forever:TEXT        write TEXT again and again, until a write fails
//   later:TEXT          leave a process behind that writes "got " and TEXT once we have exited
//   linger:MS           leave a process behind that holds our output MS milliseconds, deaf to the
//                       interrupt key (in a process group of its own on Windows)
//   sleep:MS; args      wait MS milliseconds; write each later argument on a line of its own
//   ask:TEXT            write TEXT, read a line from standard input and write "got LINE"
//   nonblock            (POSIX) make standard input non-blocking, as node does to a shared terminal
//   onint:TEXT          on an interrupt, write TEXT before it ends us
//   fds; signals        (Linux) write our open files, a line each; the signals we block and ignore
//   locale; error:N     write the locale's variables, a line each; strerror(N) in their locale
//   awaited             once the utility that started us waits for us, go on; end if it does not
//   view:TAG            be the viewer of the log named last: write what we were given and have on
//                       a line to standard output and error, and it and the log to $VIEWER_SEEN/TAG
#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {
std::string lastWords;  // for an interrupt
std::error_code error;  // failing to find a file only leaves less to see

// What differs between the systems. leaveBehind's process, found as we were, holds our standard
// output and error and writes once its read of a pipe only we write to ends: once we have exited.
#ifdef _WIN32
const auto standard = [](int fd) { return GetStdHandle(STD_INPUT_HANDLE - fd); };  // -10 to -12

bool put(const std::string& bytes, int fd = 1) {
    DWORD count = 0;
    return WriteFile(standard(fd), bytes.data(), DWORD(bytes.size()), &count, nullptr);
}

std::string answer(const std::string& prompt) {
    char bytes[80];
    DWORD count = 0;
    put(prompt);
    ReadFile(standard(0), bytes, sizeof bytes, &count, nullptr);
    return std::string(bytes, count);
}

bool isTerminal(int fd) {
    DWORD mode = 0;
    return GetConsoleMode(standard(fd), &mode);
}

void leaveBehind(const std::string& self, const std::string& text) {
    HANDLE input = nullptr, ours = nullptr;
    CreatePipe(&input, &ours, nullptr, 0);
    SetHandleInformation(input, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    SetStdHandle(STD_INPUT_HANDLE, input);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CreateProcessA(nullptr, ("\"" + self + "\" ask: out:" + text).data(), nullptr, nullptr, TRUE, 0,
                   nullptr, nullptr, &startup, &process);
}

void lingerBehind(const std::string& self, const std::string& milliseconds) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CreateProcessA(nullptr, ("\"" + self + "\" sleep:" + milliseconds).data(), nullptr, nullptr,
                   TRUE, CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &process);
}

BOOL WINAPI sayLastWords(DWORD) {
    put(lastWords);
    return FALSE;  // so that the interrupt ends us as it would have
}

const auto sayOnInterrupt = [] { SetConsoleCtrlHandler(sayLastWords, TRUE); };
const auto makeInputNonBlocking = [] {};
const auto processId = GetCurrentProcessId;
#else
bool put(const std::string& bytes, int fd = 1) {
    return write(fd, bytes.data(), bytes.size()) >= 0;
}

std::string answer(const std::string& prompt) {
    char bytes[80];
    put(prompt);
    return std::string(bytes, std::max<ssize_t>(read(0, bytes, sizeof bytes), 0));
}

const auto isTerminal = isatty;

void leaveBehind(const std::string& self, const std::string& text) {
    int ends[2];
    if (pipe(ends) != 0) return;
    fcntl(ends[1], F_SETFD, FD_CLOEXEC);  // nothing we start later may keep it open
    if (fork() == 0) {
        if (dup2(ends[0], 0) != ends[0]) close(ends[0]);
        execlp(self.c_str(), self.c_str(), "ask:", ("out:" + text).c_str(), nullptr);
        _exit(127);
    }
    close(ends[0]);
}

void lingerBehind(const std::string& self, const std::string& milliseconds) {
    if (fork() == 0) {
        signal(SIGINT, SIG_IGN);
        signal(SIGQUIT, SIG_IGN);
        execlp(self.c_str(), self.c_str(), ("sleep:" + milliseconds).c_str(), nullptr);
        _exit(127);
    }
}

void sayLastWords(int number) {
    put(lastWords);
    signal(number, SIG_DFL);
    raise(number);  // delivered, with its default action, once this returns
}

// One ignored stays so, as whoever started us asked. glibc's and musl's signal restart what the
// handler cuts short (a stop cuts nothing), so put and answer need not; another interrupt waits.
void sayOnInterrupt() {
    struct sigaction before {};
    sigaction(SIGINT, nullptr, &before);
    if (before.sa_handler != SIG_IGN) signal(SIGINT, sayLastWords);
}

const auto makeInputNonBlocking = [] { fcntl(0, F_SETFL, fcntl(0, F_GETFL) | O_NONBLOCK); };
const auto processId = getpid;
#endif

std::string unescape(std::string text) {
    for (std::size_t at = 0; (at = text.find('\\', at)) != std::string::npos; ++at)
        if (const std::size_t code = std::string("nr0s").find(text[at + 1]); code < 4)
            text.replace(at, 2, 1, "\n\r\0 "[code]);
    return text;
}

// By a narrow name, which the C runtime takes in the ANSI code page as the utility gives it.
std::string fileOf(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

// The files our descriptors are open on, a line each, but the directory read here.
std::string openFiles() {
    std::string files;
    for (fs::directory_iterator entry("/proc/self/fd", error), end; entry != end; ++entry)
        if (!entry->is_directory()) files += fs::read_symlink(entry->path(), error).string() + "\n";
    return files;
}

// "state parent" of a process in /proc ("pid (name) state parent ..." in its stat); " " if none.
std::string stateAndParent(const std::string& process) {
    std::string stat = fileOf("/proc/" + process + "/stat"), state, parent;
    std::istringstream(stat.substr(stat.rfind(')') + 1)) >> state >> parent;  // all if none
    return state + " " + parent;
}

// Linux shows the wait in /proc. Elsewhere (wine's /proc is there, but not our process id), after a
// while, by when a utility that does not wait has deleted the log.
bool awaited() {
    if (fs::read_symlink("/proc/self", error) != std::to_string(processId())) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return true;
    }
    const std::string parent = stateAndParent("self").substr(2);
    while (fileOf("/proc/" + parent + "/wchan") != "do_wait") {
        if (std::strchr("ZX ", stateAndParent(parent)[0])) return false;  // it has ended
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void view(const std::string& tag, const std::string& log) {
    const std::string self = stateAndParent("self"), files = openFiles();
    int defunct = 0;  // our parent's ended, unreaped children; /proc's other names: us or none
    for (fs::directory_iterator entry("/proc", error), end; entry != end; entry.increment(error))
        defunct += stateAndParent(entry->path().filename().string()) == "Z" + self.substr(1);
    std::ostringstream said;
    said << "viewer " << tag << ": " << log << ", terminal "
         << (isTerminal(0) && isTerminal(1) && isTerminal(2) ? "yes" : "no") << ", "
         << std::count(files.begin(), files.end(), '\n') << " descriptors, mode "
         << int(fs::status(log, error).permissions()) << ", " << defunct << " defunct\n";
    std::ofstream(fs::path(std::getenv("VIEWER_SEEN")) / tag, std::ios::binary)
        << said.str() << fileOf(log);
    put(said.str());
    put(said.str(), 2);
}
}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string action = argv[i], name = action.substr(0, action.find(':'));
        const std::string value = action.substr(std::min(action.size(), name.size() + 1));
        if (name == "out" || name == "err") put(unescape(value), name == "out" ? 1 : 2);
        if (name == "bytes") {
            std::string bytes(std::stoul(value), '\0');
            for (std::size_t at = 0; at < bytes.size(); ++at) bytes[at] = char(at * 131 + at / 256);
            put(bytes);
        }
        if (name == "lines") {
            std::ostringstream lines;
            for (int at = 1, count = std::stoi(value); at <= count; ++at)
                lines << std::setfill('0') << std::setw(6) << at << '\n';
            put(lines.str());
        }
        if (name == "file") put(fileOf(value));
        while (name == "forever" && put(unescape(value))) continue;
        if (name == "later") leaveBehind(argv[0], value);
        if (name == "linger") lingerBehind(argv[0], value);
        if (name == "sleep")
            std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(value)));
        if (name == "ask") put("got " + answer(unescape(value)));
        if (name == "nonblock") makeInputNonBlocking();
        if (name == "fds") put(openFiles());
        if (name == "onint") {
            lastWords = unescape(value);
            sayOnInterrupt();
        }
        if (name == "signals") {
            const std::string status = fileOf("/proc/self/status");
            put(status.substr(status.find("SigBlk:"), 50));
        }
        if (name == "locale")
            for (const char* variable : {"LANG", "LC_ALL", "LC_MESSAGES", "LANGUAGE"}) {
                const char* value = std::getenv(variable);
                put(variable + ("=" + std::string(value ? value : "-")) + "\n");
            }
        if (name == "error") {
            std::setlocale(LC_ALL, "");
            put(std::strerror(std::stoi(value)));
        }
        while (name == "args" && ++i < argc) put(argv[i] + std::string("\n"));
        if (name == "awaited" && !awaited()) break;
        if (name == "view") view(value, argv[argc - 1]);
    }
    return 7;
}
