#include "tarvix_fixture.h"

#include <fcntl.h>
#include <nl_types.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {
// A bound on waiting for the utility, so that a hang fails the test instead of the whole run.
constexpr auto kPatience = std::chrono::seconds(30);

void finish(pid_t pid, RunOutcome& outcome) {
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

bool sameSettings(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0 &&
           cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}

bool readsSingleKeys(int terminal) {
    termios settings;
    return tcgetattr(terminal, &settings) == 0 && !(settings.c_lflag & (ICANON | ECHO));
}

// Reads what the terminal shows until `done` holds or every process has closed the terminal.
// A utility that keeps neither promise in time is killed.
bool readScreen(int master, pid_t pid, std::string& screen, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the utility hangs; the screen:\n" << screen;
            kill(pid, SIGKILL);
            return false;
        }
        pollfd ready{master, POLLIN, 0};
        if (poll(&ready, 1, 10) <= 0) continue;
        char bytes[4096];
        const ssize_t count = read(master, bytes, sizeof bytes);
        if (count <= 0) return false;  // EIO: the terminal is closed
        screen.append(bytes, static_cast<std::size_t>(count));
    }
    return true;
}

// Starts the utility in a child of ours, once that child has its standard handles.
pid_t start(const std::string& temp, const std::vector<std::string>& args,
            const RunOptions& options, const std::function<void()>& standardHandles) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    setenv("TEMP", temp.c_str(), 1);
    unsetenv("TMP");
    unsetenv("TMPDIR");
    for (const auto& name : options.unset) unsetenv(name.c_str());
    for (const auto& [name, value] : options.environment) setenv(name.c_str(), value.c_str(), 1);
    standardHandles();
    if (options.beforeStart) options.beforeStart(static_cast<unsigned long>(getpid()));
    const std::string program = options.program.empty() ? TARVIX : options.program;
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}
}  // namespace

std::string TarvixTest::built(const char* path) {
    return path;
}

std::string TarvixTest::echoed(const std::string& bytes) {
    return bytes;  // no text mode: line ends pass unchanged
}

unsigned long TarvixTest::notAConsoleError() {
    return ENOTTY;
}

std::string TarvixTest::messageBox(const std::string& caption, const std::string& text) {
    return caption + ": " + text + "\n";
}

std::string TarvixTest::prompt() {
    const std::string catalog = fs::path(TARVIX).parent_path() / "tarvmsg.cat";
    const nl_catd messages = catopen(catalog.c_str(), 0);
    const std::string text = catgets(messages, 1, 9, "");
    catclose(messages);
    return text;
}

RunOutcome TarvixTest::run(const std::vector<std::string>& args, const Options& options) {
    using Output = RunOptions::Output;
    const std::string inputPath = kept("stdin");
    const std::string outputPath = options.output == Output::Full ? "/dev/full" : kept("stdout");
    const std::string errorsPath = kept("stderr");
    std::ofstream(inputPath) << options.input;
    int reader[2] = {-1, -1};
    if (options.output == Output::ShortReader && pipe(reader) != 0) ADD_FAILURE() << "pipe";
    const pid_t pid = start(tempDir(), args, options, [&] {
        dup2(open(inputPath.c_str(), O_RDONLY), 0);
        dup2(options.output == Output::ShortReader
                 ? reader[1]
                 : open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
             1);
        dup2(open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        closefrom(3);
        if (options.closedInput) close(0);
        if (options.output == Output::Closed) close(1);
    });
    if (options.output == Output::ShortReader) {
        close(reader[1]);
        char taken[10];
        for (std::size_t got = 0; got < sizeof taken;) {
            const ssize_t count = read(reader[0], taken + got, sizeof taken - got);
            if (count <= 0) break;
            got += static_cast<std::size_t>(count);
        }
        close(reader[0]);
    }
    Outcome outcome;
    finish(pid, outcome);
    if (options.output == Output::File) outcome.output = readFile(outputPath);
    outcome.errors = readFile(errorsPath);
    return outcome;
}

RunOutcome TarvixTest::runInTerminal(const std::vector<std::string>& args, const std::string& keys,
                                     const Options& options) {
    int master = -1;
    int terminal = -1;
    if (openpty(&master, &terminal, nullptr, nullptr, nullptr) != 0) ADD_FAILURE() << "openpty";
    termios before;
    tcgetattr(terminal, &before);
    // Settings that single-key input changes, unlike a fresh terminal's, so that a restore
    // that merely resets them shows.
    before.c_cc[VMIN] = 0;
    before.c_cc[VTIME] = 7;
    tcsetattr(terminal, TCSANOW, &before);
    const pid_t pid = start(tempDir(), args, options, [&] {
        close(master);
        login_tty(terminal);
    });
    close(terminal);
    // On Linux the master reads and reports the terminal's settings.
    Outcome outcome;
    for (const char key : keys) {
        if (!readScreen(master, pid, outcome.output, [&] { return readsSingleKeys(master); }))
            break;
        if (write(master, &key, 1) != 1) ADD_FAILURE() << "typing";
        // Wait until the key is taken, so that the next one meets its own read.
        readScreen(master, pid, outcome.output, [&] { return !readsSingleKeys(master); });
    }
    readScreen(master, pid, outcome.output, [] { return false; });
    finish(pid, outcome);
    termios after;
    tcgetattr(master, &after);
    outcome.terminalRestored = sameSettings(before, after);
    close(master);
    return outcome;
}
