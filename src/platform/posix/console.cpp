#include <signal.h>
#include <termios.h>

#include <cerrno>
#include <iterator>

#include "platform/posix/handles.h"

// Console modes over termios: line input is canonical input, echo input is echo and processed
// input is the signal keys. A descriptor that is no terminal fails with ENOTTY, as a handle that
// is no console fails on Windows. Console control handlers over signals.
//
// sigaction is not checked here: it fails only for a signal number that is not valid or cannot
// be caught, and these are constants that are neither.
namespace {
// The terminal as it was before the layer changed it. Every mode is applied to these settings, so
// setting the mode read back restores every setting.
int changedTerminal = -1;
termios original;
struct sigaction actionBeforeStop;
volatile sig_atomic_t readAbandoned = 0;

struct ControlSignal {
    int number;
    DWORD event;
};
constexpr ControlSignal kControlSignals[] = {
    {SIGINT, CTRL_C_EVENT}, {SIGQUIT, CTRL_BREAK_EVENT},
    {SIGHUP, CTRL_CLOSE_EVENT}, {SIGTERM, CTRL_CLOSE_EVENT}};
PHANDLER_ROUTINE controlRoutine = nullptr;
struct sigaction actionsBeforeRoutine[std::size(kControlSignals)];

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

// Handles a signal, unless it is ignored: then it stays so, as the user (nohup, a shell's
// background job) asked.
void handle(int number, void (*handler)(int), struct sigaction& previous) {
    sigaction(number, nullptr, &previous);
    if (previous.sa_handler == SIG_IGN) return;
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(number, &action, nullptr);
}

// The shell gets the terminal back as it was, and we stop; once continued, the read that was
// waiting is abandoned, so that the reader sets its mode again.
void onStop(int) {
    const int error = errno;
    tcsetattr(changedTerminal, TCSANOW, &original);
    struct sigaction ours;
    sigaction(SIGTSTP, nullptr, &ours);
    signal(SIGTSTP, SIG_DFL);
    raise(SIGTSTP);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);  // the stop takes effect here
    sigaction(SIGTSTP, &ours, nullptr);
    readAbandoned = 1;
    errno = error;
}

void onControlSignal(int number) {
    const int error = errno;
    for (const ControlSignal& control : kControlSignals) {
        if (control.number == number && controlRoutine && controlRoutine(control.event)) {
            errno = error;
            return;
        }
    }
    signal(number, SIG_DFL);
    raise(number);  // delivered, with its default action, once this handler returns
}

void watchStops(int fd) {
    if (changedTerminal >= 0) return;
    changedTerminal = fd;
    handle(SIGTSTP, onStop, actionBeforeStop);
}

void unwatchStops() {
    if (changedTerminal < 0) return;
    sigaction(SIGTSTP, &actionBeforeStop, nullptr);
    changedTerminal = -1;
}
}  // namespace

bool posix::takeAbandonedRead() {
    const bool abandoned = readAbandoned;
    readAbandoned = 0;
    return abandoned;
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
    termios current;
    if (tcgetattr(fd, &current) != 0) return FALSE;
    if (changedTerminal != fd) original = current;
    const bool changes = mode != modeOf(original);
    // Watched before the change, so that no stop finds the terminal changed and unwatched.
    if (changes) watchStops(fd);
    const termios settings = withMode(original, mode);
    if (tcsetattr(fd, TCSANOW, &settings) != 0) return FALSE;
    if (!changes) unwatchStops();
    return TRUE;
}

BOOL FlushConsoleInputBuffer(HANDLE console) {
    const int fd = posix::descriptorOf(console);
    if (fd < 0) return posix::fail(EBADF);
    return tcflush(fd, TCIFLUSH) == 0;
}

BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE routine, BOOL add) {
    if (!routine || controlRoutine != (add ? nullptr : routine)) return posix::fail(EINVAL);
    if (add) controlRoutine = routine;
    for (std::size_t i = 0; i < std::size(kControlSignals); ++i) {
        if (add)
            handle(kControlSignals[i].number, onControlSignal, actionsBeforeRoutine[i]);
        else
            sigaction(kControlSignals[i].number, &actionsBeforeRoutine[i], nullptr);
    }
    if (!add) controlRoutine = nullptr;
    return TRUE;
}
