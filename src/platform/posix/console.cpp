#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"
#include "platform/posix/handles.h"

// Console modes over termios: line input is canonical input, echo input is echo and processed
// input is the signal keys. A descriptor that is no terminal fails with ENOTTY, as a handle that
// is no console fails on Windows.
//
// Job control, which Windows lacks. A terminal is its foreground's: from the background, reading
// it or changing its mode stops the process group first, as the system stops any program that
// does (SIGTTIN, SIGTTOU). Once the process has been stopped and continued since the mode was
// last asked for, a read or a first change fails with ERROR_OPERATION_ABORTED, with the terminal
// as it was before the change: what the caller read of it may have been another's, and what it
// showed the reader may have scrolled away. While the mode is changed, the stop key's SIGTSTP is
// blocked but while a read waits; then the terminal is put back and the process stops. Putting
// the terminal back or discarding its input is done only while it is ours, and never stops: a
// control routine may do either.
namespace {
// The terminal whose mode we changed, and its settings before: every mode is applied to them, so
// setting the mode read back restores every setting.
int changedTerminal = -1;
termios original;
struct sigaction actionBeforeStop;
volatile sig_atomic_t stopAsked = 0;
volatile sig_atomic_t continued = 0;
// Continues so far: a stop of our own is known to have happened once this has changed.
volatile sig_atomic_t continues = 0;

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

void onStopKey(int) {
    stopAsked = 1;
    posix::wakeInputWait();
}

void onContinue(int) {
    continued = 1;
    continues = continues + 1;
    posix::wakeInputWait();
}

// A terminal that is not our controlling one has no foreground of ours to wait for.
bool ours(int fd) {
    const pid_t foreground = tcgetpgrp(fd);
    return foreground < 0 || foreground == getpgrp();
}

// 0 once the terminal is ours to use, stopping the process group until it is, with the signal
// the system would send, again and again while a continue leaves it in the background (bg), as
// the system does with a program that reads; ECANCELED when the process has been stopped and
// continued since the mode was last asked for; EIO when it cannot be stopped (an orphaned group,
// an ignored signal, a control routine), as the system's own read then fails.
int claim(int fd, int signal) {
    while (!ours(fd) && !posix::inControlRoutine()) {
        const sig_atomic_t before = continues;
        kill(0, signal);  // a signal to ourselves is taken before kill returns
        if (continues == before) break;
    }
    if (!ours(fd)) return EIO;
    return continued ? ECANCELED : 0;
}

// Applies the settings only while the terminal is ours. SIGTTOU is blocked meanwhile, so that a
// shell that takes the terminal between the question and the change cannot stop us halfway; in
// the background nothing is done, as the stop (or the shell) has put the terminal back.
bool setWhileOurs(int fd, const termios& settings) {
    const sigset_t before = posix::maskSignal(SIG_BLOCK, SIGTTOU);
    const bool set = !ours(fd) || tcsetattr(fd, TCSANOW, &settings) == 0;
    const int error = errno;
    sigprocmask(SIG_SETMASK, &before, nullptr);
    errno = error;
    return set;
}

void watchStops(int fd) {
    changedTerminal = fd;
    stopAsked = 0;
    posix::handleUnlessIgnored(SIGTSTP, onStopKey, 0, actionBeforeStop);
    posix::maskSignal(SIG_BLOCK, SIGTSTP);
}

// The change is over: the terminal as it was, stops as they were.
bool endChange() {
    const bool set = setWhileOurs(changedTerminal, original);
    sigaction(SIGTSTP, &actionBeforeStop, nullptr);
    posix::maskSignal(SIG_UNBLOCK, SIGTSTP);
    changedTerminal = -1;
    return set;
}

// Waits for input on the changed terminal with SIGTSTP let through only while waiting, in one
// step with the wait, so that no stop finds us between setting the mode and reading.
int awaitKeyInput(int fd) {
    while (!stopAsked && !continued) {
        const int waited = posix::waitForInput(fd, SIGTSTP);
        if (waited != EINTR) return waited;
    }
    endChange();
    if (stopAsked) raise(SIGTSTP);  // the stop the key asked for, now at its default
    return ECANCELED;
}
}  // namespace

void posix::watchContinues() {
    struct sigaction previous;
    // Restarting, so that no other call learns of the stop; the terminal's calls ask the flag.
    handleUnlessIgnored(SIGCONT, onContinue, SA_RESTART, previous);
}

int posix::awaitTerminalInput(int fd) {
    if (const int error = claim(fd, SIGTTIN)) {
        if (fd == changedTerminal) endChange();
        return error;
    }
    return fd == changedTerminal ? awaitKeyInput(fd) : 0;
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
    continued = 0;
    return TRUE;
}

BOOL SetConsoleMode(HANDLE console, DWORD mode) {
    const int fd = posix::descriptorOf(console);
    if (fd < 0) return posix::fail(EBADF);
    if (fd == changedTerminal) {
        if (mode == modeOf(original)) return endChange();
        return setWhileOurs(fd, withMode(original, mode));
    }
    termios current;
    if (tcgetattr(fd, &current) != 0) return FALSE;
    if (mode == modeOf(current)) return TRUE;
    if (const int error = claim(fd, SIGTTOU)) return posix::fail(error);
    // As the shell gave it to us, now that it is ours.
    if (tcgetattr(fd, &original) != 0) return FALSE;
    // Watched before the change, so that no stop finds the terminal changed and unwatched.
    watchStops(fd);
    if (setWhileOurs(fd, withMode(original, mode))) return TRUE;
    const int error = errno;
    endChange();
    return posix::fail(error);
}

// What was typed is the foreground's: discarded only while the terminal is ours.
BOOL FlushConsoleInputBuffer(HANDLE console) {
    const int fd = posix::descriptorOf(console);
    if (fd < 0) return posix::fail(EBADF);
    if (!isatty(fd)) return FALSE;
    return !ours(fd) || tcflush(fd, TCIFLUSH) == 0;
}
