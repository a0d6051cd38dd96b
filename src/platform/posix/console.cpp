#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"
#include "platform/posix/handles.h"

// Console modes over termios: line input is canonical input, echo input is echo and processed
// input is the signal keys. A descriptor that is no terminal fails with ENOTTY, as a handle that
// is no console fails on Windows. The terminal is changed, put back or flushed only while it is
// ours (in the foreground), and never stops the process: a control routine may do any of it.
namespace {
// The terminal whose mode we changed, and its settings before: every mode is applied to them, so
// setting the mode read back restores every setting.
int changedTerminal = -1;
termios original;

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

// SIGTTOU is blocked meanwhile, so that a shell that takes the terminal between the question and
// the change cannot stop us halfway; in the background nothing is done, as the shell has put the
// terminal back its own way.
bool setWhileOurs(int fd, const termios& settings) {
    const sigset_t before = posix::maskSignal(SIG_BLOCK, SIGTTOU);
    const bool set = !posix::isOurs(fd) || tcsetattr(fd, TCSANOW, &settings) == 0;
    const int error = errno;
    sigprocmask(SIG_SETMASK, &before, nullptr);
    errno = error;
    return set;
}
}  // namespace

// A terminal that is not our controlling one has no foreground of ours.
bool posix::isOurs(int fd) {
    const pid_t foreground = tcgetpgrp(fd);
    return foreground < 0 || foreground == getpgrp();
}

DWORD posix::waitForConsoleInput(int fd, DWORD milliseconds) {
    if (!isatty(fd)) {
        fail(EINVAL);
        return WAIT_FAILED;
    }
    pollfd input{fd, POLLIN, 0};
    const int timeout = milliseconds == INFINITE ? -1 : static_cast<int>(milliseconds);
    int ready;
    while ((ready = poll(&input, 1, timeout)) < 0 && errno == EINTR) continue;
    if (ready < 0) return WAIT_FAILED;
    return ready > 0 ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

// A terminal that is not our controlling one (we were started in a session of our own, setsid)
// is another session's: its keys are for whoever reads it there.
bool platform::isAnotherSessionsTerminal(HANDLE input) {
    const int fd = posix::descriptorOf(input);
    return fd >= 0 && isatty(fd) && tcgetsid(fd) != getsid(0);
}

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
    if (fd != changedTerminal) {
        if (tcgetattr(fd, &original) != 0) return FALSE;
        if (mode == modeOf(original)) return TRUE;
        changedTerminal = fd;
    }
    const bool back = mode == modeOf(original);
    if (back) changedTerminal = -1;
    return setWhileOurs(fd, back ? original : withMode(original, mode));
}

// What was typed is the foreground's: discarded only while the terminal is ours.
BOOL FlushConsoleInputBuffer(HANDLE console) {
    const int fd = posix::descriptorOf(console);
    if (fd < 0) return posix::fail(EBADF);
    if (!isatty(fd)) return FALSE;
    return !posix::isOurs(fd) || tcflush(fd, TCIFLUSH) == 0;
}
