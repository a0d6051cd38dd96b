// Job control's part in reading the key, which Windows lacks. A terminal is its foreground's:
// from the background, the utility stops as the system stops any program that changes the
// terminal (SIGTTOU), again after a continue that leaves it there (bg), until it is in the
// foreground. While the key mode is set, the stop key's SIGTSTP is held back but while the key
// is awaited; then the terminal is put back as it was and the process stops. A continue since
// the prompt was shown asks for it again: what it showed may have scrolled away, and the key
// typed since may have been another's.
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"
#include "platform/posix/handles.h"

namespace {
volatile sig_atomic_t stopAsked = 0;
// Continues so far, and those the prompt knows of.
volatile sig_atomic_t continues = 0;
sig_atomic_t continuesShown = 0;
bool holding = false;
struct sigaction actionBeforeStop;

void onStopKey(int) {
    stopAsked = 1;
    posix::wakeInputWait();
}

void onContinue(int) {
    continues = continues + 1;
    posix::wakeInputWait();
}

// Stops the process group until the terminal is ours, as the system would; not when it cannot be
// stopped (an orphaned group, an ignored signal): the terminal's calls then fail, or do nothing.
void stopUntilForeground(int fd) {
    while (!posix::isOurs(fd)) {
        const sig_atomic_t before = continues;
        kill(0, SIGTTOU);  // a signal to ourselves is taken before kill returns
        if (continues == before) return;
    }
}

platform::KeyWait askAgainIfContinued() {
    if (continues == continuesShown) return platform::KeyWait::Ready;
    continuesShown = continues;
    return platform::KeyWait::Stopped;
}
}  // namespace

void posix::watchContinues() {
    struct sigaction previous;
    // Restarting, so that no other call learns of the stop.
    handleUnlessIgnored(SIGCONT, onContinue, SA_RESTART, previous);
}

platform::KeyWait platform::holdConsole(HANDLE console) {
    stopUntilForeground(posix::descriptorOf(console));
    stopAsked = 0;
    posix::handleUnlessIgnored(SIGTSTP, onStopKey, 0, actionBeforeStop);
    posix::maskSignal(SIG_BLOCK, SIGTSTP);
    holding = true;
    return askAgainIfContinued();
}

// SIGTSTP is let through only while the key is awaited, and a stop or continue taken on the way
// into the wait ends it (input_wait.cpp), so that no stop finds the key mode set between the
// change and the read.
platform::KeyWait platform::awaitKey(HANDLE console, DWORD mode) {
    const int fd = posix::descriptorOf(console);
    while (!stopAsked && continues == continuesShown) {
        if (posix::waitForInput(fd, SIGTSTP) != EINTR) return KeyWait::Ready;
    }
    SetConsoleMode(console, mode);
    releaseConsole();
    if (stopAsked) raise(SIGTSTP);  // the stop the key asked for, now at its default
    return askAgainIfContinued();
}

void platform::releaseConsole() {
    if (!holding) return;
    holding = false;
    sigaction(SIGTSTP, &actionBeforeStop, nullptr);
    posix::maskSignal(SIG_UNBLOCK, SIGTSTP);
}
