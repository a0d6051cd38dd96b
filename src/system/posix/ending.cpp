#include "system/ending.h"

#include <signal.h>

#include <cerrno>

#include "system/posix/posix.h"

namespace sys {

namespace {
// SIGINT and SIGQUIT are the interrupt and quit keys; SIGHUP and SIGTERM end us as a closed
// terminal or a kill does.
constexpr int kEndings[] = {SIGINT, SIGQUIT, SIGHUP, SIGTERM};
constexpr int kMaxCleanups = 4;

// Read by the handler: each changes with the endings blocked, so that none finds it halfway.
Cleanup cleanups[kMaxCleanups];
volatile sig_atomic_t cleanupCount = 0;
volatile sig_atomic_t interruptsLeft = 0;

// The handler's contract: it calls only the clean-ups, which are async-signal-safe, then ends us
// by the signal itself once it returns, so that whoever waits for us learns how we ended.
void endBy(int number) {
    const int error = errno;
    if (interruptsLeft && (number == SIGINT || number == SIGQUIT)) {
        errno = error;
        return;
    }
    for (int i = cleanupCount - 1; i >= 0; --i) cleanups[i]();
    signal(number, SIG_DFL);
    raise(number);
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
    interruptsLeft = leave;
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
