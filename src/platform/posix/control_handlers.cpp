#include <signal.h>

#include <cerrno>
#include <iterator>

#include "platform/posix/handles.h"

// Console control handlers over signals. As on Windows, the routines are called last added first,
// until one returns TRUE; when none does, the signal takes its default action, as Windows' default
// handler ends the process. sigaction is not checked here: it fails only for a signal number that
// is not valid or cannot be caught, and these are constants that are neither.
namespace {
struct ControlSignal {
    int number;
    DWORD event;
};
constexpr ControlSignal kControlSignals[] = {{SIGINT, CTRL_C_EVENT},
                                             {SIGQUIT, CTRL_BREAK_EVENT},
                                             {SIGHUP, CTRL_CLOSE_EVENT},
                                             {SIGTERM, CTRL_CLOSE_EVENT}};
// The program adds one for the run, one while others have the interrupt and one at the prompt.
constexpr int kMaxRoutines = 4;
PHANDLER_ROUTINE routines[kMaxRoutines];
volatile sig_atomic_t routineCount = 0;
struct sigaction actionsBeforeRoutines[std::size(kControlSignals)];
volatile sig_atomic_t routineRunning = 0;

bool handled(DWORD event) {
    routineRunning = 1;
    bool done = false;
    for (int i = routineCount - 1; i >= 0 && !done; --i) done = routines[i](event);
    routineRunning = 0;
    return done;
}

void onControlSignal(int number) {
    const int error = errno;
    for (const ControlSignal& control : kControlSignals) {
        if (control.number == number && handled(control.event)) {
            errno = error;
            return;
        }
    }
    signal(number, SIG_DFL);
    raise(number);  // delivered, with its default action, once this handler returns
}

// Restarting, so that the program's own calls never learn of a signal a routine handled.
void handleControlSignals() {
    for (std::size_t i = 0; i < std::size(kControlSignals); ++i) {
        posix::handleUnlessIgnored(kControlSignals[i].number, onControlSignal, SA_RESTART,
                                   actionsBeforeRoutines[i]);
    }
}

void restoreControlSignals() {
    for (std::size_t i = 0; i < std::size(kControlSignals); ++i) {
        sigaction(kControlSignals[i].number, &actionsBeforeRoutines[i], nullptr);
    }
}

// The list changes with the control signals blocked, so that none finds it halfway.
sigset_t blockControlSignals() {
    sigset_t signals;
    sigset_t before;
    sigemptyset(&signals);
    for (const ControlSignal& control : kControlSignals) sigaddset(&signals, control.number);
    sigprocmask(SIG_BLOCK, &signals, &before);
    return before;
}

bool addRoutine(PHANDLER_ROUTINE routine) {
    if (routineCount == kMaxRoutines) return false;
    if (routineCount == 0) handleControlSignals();
    routines[routineCount] = routine;
    ++routineCount;
    return true;
}

bool removeRoutine(PHANDLER_ROUTINE routine) {
    int at = routineCount - 1;
    while (at >= 0 && routines[at] != routine) --at;
    if (at < 0) return false;
    for (--routineCount; at < routineCount; ++at) routines[at] = routines[at + 1];
    if (routineCount == 0) restoreControlSignals();
    return true;
}
}  // namespace

// A signal that is ignored stays so, as the user (nohup, a shell's background job) asked.
void posix::handleUnlessIgnored(int number, void (*handler)(int), int flags,
                                struct sigaction& previous) {
    sigaction(number, nullptr, &previous);
    if (previous.sa_handler == SIG_IGN) return;
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    sigaction(number, &action, nullptr);
}

bool posix::inControlRoutine() {
    return routineRunning;
}

sigset_t posix::maskSignal(int how, int number) {
    sigset_t signal;
    sigset_t before;
    sigemptyset(&signal);
    sigaddset(&signal, number);
    sigprocmask(how, &signal, &before);
    return before;
}

BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE routine, BOOL add) {
    // Ignoring the interrupt with no routine is inherited on Windows: not supported.
    if (!routine) return posix::fail(EINVAL);
    const sigset_t before = blockControlSignals();
    const bool changed = add ? addRoutine(routine) : removeRoutine(routine);
    sigprocmask(SIG_SETMASK, &before, nullptr);
    return changed || posix::fail(add ? ENOMEM : EINVAL);
}
