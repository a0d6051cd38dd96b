#include <signal.h>

#include <cerrno>
#include <iterator>

#include "platform/posix/handles.h"

// Console control handlers over signals. sigaction is not checked here: it fails only for a
// signal number that is not valid or cannot be caught, and these are constants that are neither.
namespace {
struct ControlSignal {
    int number;
    DWORD event;
};
constexpr ControlSignal kControlSignals[] = {{SIGINT, CTRL_C_EVENT},
                                             {SIGQUIT, CTRL_BREAK_EVENT},
                                             {SIGHUP, CTRL_CLOSE_EVENT},
                                             {SIGTERM, CTRL_CLOSE_EVENT}};
PHANDLER_ROUTINE controlRoutine = nullptr;
struct sigaction actionsBeforeRoutine[std::size(kControlSignals)];
volatile sig_atomic_t routineRunning = 0;

void onControlSignal(int number) {
    const int error = errno;
    for (const ControlSignal& control : kControlSignals) {
        if (control.number != number || !controlRoutine) continue;
        routineRunning = 1;
        const BOOL handled = controlRoutine(control.event);
        routineRunning = 0;
        if (handled) {
            errno = error;
            return;
        }
    }
    signal(number, SIG_DFL);
    raise(number);  // delivered, with its default action, once this handler returns
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
    if (!routine || controlRoutine != (add ? nullptr : routine)) return posix::fail(EINVAL);
    if (add) controlRoutine = routine;
    for (std::size_t i = 0; i < std::size(kControlSignals); ++i) {
        if (add)
            posix::handleUnlessIgnored(kControlSignals[i].number, onControlSignal, 0,
                                       actionsBeforeRoutine[i]);
        else
            sigaction(kControlSignals[i].number, &actionsBeforeRoutine[i], nullptr);
    }
    if (!add) controlRoutine = nullptr;
    return TRUE;
}
