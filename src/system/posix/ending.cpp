#include "system/ending.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "system/posix/posix.h"

namespace sys {

volatile sig_atomic_t posix::interrupted = 0;

namespace {
// SIGINT and SIGQUIT are the interrupt and quit keys; SIGHUP and SIGTERM end us as a closed
// terminal or a kill does.
constexpr int kEndings[] = {SIGINT, SIGQUIT, SIGHUP, SIGTERM};
constexpr int kMaxCleanups = 4;

// Read by the handler: each changes with the endings blocked, so that none finds it halfway.
Cleanup cleanups[kMaxCleanups];
volatile sig_atomic_t cleanupCount = 0;
volatile sig_atomic_t interruptsLeft = 0;

// Blocked while its handler runs, the signal raised ends us once unblocked, unless we are the
// first process of a namespace, whose default actions the kernel ignores: then we end as a shell
// would report that signal.
void endNowBy(int number) {
    signal(number, SIG_DFL);
    raise(number);
    sigset_t raised;
    sigemptyset(&raised);
    sigaddset(&raised, number);
    sigprocmask(SIG_UNBLOCK, &raised, nullptr);
    _exit(128 + number);
}

// The handler's contract: it calls only the clean-ups, which are async-signal-safe, then ends us
// by the signal itself, so that whoever waits for us learns how we ended. A key left to others
// is only noted.
void endBy(int number) {
    const int error = errno;
    if (interruptsLeft && (number == SIGINT || number == SIGQUIT)) {
        posix::interrupted = 1;
        errno = error;
        return;
    }
    for (int i = cleanupCount - 1; i >= 0; --i) cleanups[i]();
    endNowBy(number);
}

sigset_t blockEndings() {
    sigset_t endings;
    sigset_t before;
    sigemptyset(&endings);
    for (const int number : kEndings) sigaddset(&endings, number);
    sigprocmask(SIG_BLOCK, &endings, &before);
    return before;
}
}  // namespace

// Restarting, so that a handled interrupt cuts no call of ours short.
void posix::watchEndings() {
    for (const int number : kEndings) handleUnlessIgnored(number, endBy, SA_RESTART);
}

bool onEnding(Cleanup cleanup) {
    const sigset_t before = blockEndings();
    const bool added = cleanupCount < kMaxCleanups;
    if (added) {
        cleanups[cleanupCount] = cleanup;
        cleanupCount = cleanupCount + 1;
    }
    sigprocmask(SIG_SETMASK, &before, nullptr);
    if (!added) errno = ENOMEM;
    return added;
}

void noLongerOnEnding(Cleanup cleanup) {
    const sigset_t before = blockEndings();
    int at = cleanupCount - 1;
    while (at >= 0 && cleanups[at] != cleanup) --at;
    if (at >= 0) {
        for (; at + 1 < cleanupCount; ++at) cleanups[at] = cleanups[at + 1];
        cleanupCount = cleanupCount - 1;
    }
    sigprocmask(SIG_SETMASK, &before, nullptr);
}

void leaveInterruptsToOthers(bool leave) {
    posix::interrupted = 0;
    interruptsLeft = leave;
}

// Our clean-up is done: nothing is left for the handler to do.
void endAsTheProgramDid(int signal) {
    if (signal != SIGINT && signal != SIGQUIT) return;
    posix::maskSignal(SIG_BLOCK, signal);
    endNowBy(signal);
}

// sigaction fails only for a signal number that is not valid or cannot be caught; these are
// constants that are neither.
void posix::handleUnlessIgnored(int number, void (*handler)(int), int flags) {
    struct sigaction action {};
    sigaction(number, nullptr, &action);
    if (action.sa_handler == SIG_IGN) return;
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    sigaction(number, &action, nullptr);
}

sigset_t posix::maskSignal(int how, int number) {
    sigset_t signal;
    sigset_t before;
    sigemptyset(&signal);
    sigaddset(&signal, number);
    sigprocmask(how, &signal, &before);
    return before;
}

}  // namespace sys
