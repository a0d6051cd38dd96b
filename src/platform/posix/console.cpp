#include <signal.h>
#include <termios.h>

#include <cerrno>
#include <iterator>

#include "platform/posix/handles.h"

// Console modes over termios: line input is canonical input, echo input is echo and processed
// input is the signal keys. A descriptor that is no terminal fails with ENOTTY, as a handle that
// is no console fails on Windows.
namespace {
constexpr int kTerminatingSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};

// The terminal as it was before the layer changed it. Every mode is applied to these settings,
// so setting the mode read back restores every setting, and a terminating signal that comes
// while the terminal is changed puts them back before the process ends.
int changedTerminal = -1;
termios original;
struct sigaction previousActions[std::size(kTerminatingSignals)];

DWORD modeOf(const termios& settings) {
    return (settings.c_lflag & ICANON ? ENABLE_LINE_INPUT : 0) |
           (settings.c_lflag & ECHO ? ENABLE_ECHO_INPUT : 0) |
           (settings.c_lflag & ISIG ? ENABLE_PROCESSED_INPUT : 0);
}

void setFlag(tcflag_t& flags, tcflag_t flag, bool on) {
    flags = on ? flags | flag : flags & ~flag;
}

termios withMode(const termios& base, DWORD mode) {
    termios settings = base;
    setFlag(settings.c_lflag, ICANON, mode & ENABLE_LINE_INPUT);
    setFlag(settings.c_lflag, ECHO, mode & ENABLE_ECHO_INPUT);
    setFlag(settings.c_lflag, ISIG, mode & ENABLE_PROCESSED_INPUT);
    if ((base.c_lflag & ICANON) && !(settings.c_lflag & ICANON)) {
        // Without line input a read returns as soon as one byte has come.
        settings.c_cc[VMIN] = 1;
        settings.c_cc[VTIME] = 0;
    }
    return settings;
}

void restoreAndEnd(int signal) {
    tcsetattr(changedTerminal, TCSANOW, &original);
    ::signal(signal, SIG_DFL);
    raise(signal);  // delivered, and fatal, once this handler returns
}

void guard(int fd) {
    if (changedTerminal >= 0) return;
    changedTerminal = fd;
    struct sigaction action {};
    action.sa_handler = restoreAndEnd;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kTerminatingSignals); ++i) {
        sigaction(kTerminatingSignals[i], &action, &previousActions[i]);
    }
}

void unguard() {
    if (changedTerminal < 0) return;
    for (std::size_t i = 0; i < std::size(kTerminatingSignals); ++i) {
        sigaction(kTerminatingSignals[i], &previousActions[i], nullptr);
    }
    changedTerminal = -1;
}
}  // namespace

BOOL GetConsoleMode(HANDLE console, LPDWORD mode) {
    const int fd = posix::descriptorOf(console);
    if (fd < 0) return posix::fail(EBADF);
    termios settings;
    if (tcgetattr(fd, &settings) != 0) return FALSE;
    *mode = modeOf(settings);
    return TRUE;
}

BOOL SetConsoleMode(HANDLE console, DWORD mode) {
    const int fd = posix::descriptorOf(console);
    if (fd < 0) return posix::fail(EBADF);
    termios current;
    if (tcgetattr(fd, &current) != 0) return FALSE;
    if (changedTerminal != fd) original = current;
    const bool changes = mode != modeOf(original);
    // Guarded before the change, so that no signal finds the terminal changed and unguarded.
    if (changes) guard(fd);
    const termios settings = withMode(original, mode);
    if (tcsetattr(fd, TCSANOW, &settings) != 0) return FALSE;
    if (!changes) unguard();
    return TRUE;
}
