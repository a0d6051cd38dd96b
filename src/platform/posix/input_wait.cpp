// A wait for input that lets one blocked signal through only while it waits, as ppoll does where
// there is one (macOS has none). The signal's handler wakes the wait through a pipe of our own
// (wakeInputWait), so that a signal taken between its unblocking and the poll still ends the wait
// rather than being missed until a key comes.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/handles.h"

namespace {
int wakeEnds[2] = {-1, -1};

// Made at the first wait, not at start, where a descriptor can be scarce; never inherited, and
// never blocking the handler that writes to it.
bool haveWakePipe() {
    if (wakeEnds[0] >= 0) return true;
    int ends[2];
    if (pipe(ends) != 0) return false;
    for (int end : ends) {
        if (fcntl(end, F_SETFD, FD_CLOEXEC) != 0 || fcntl(end, F_SETFL, O_NONBLOCK) != 0) {
            const int error = errno;
            close(ends[0]);
            close(ends[1]);
            errno = error;
            return false;
        }
    }
    wakeEnds[0] = ends[0];
    wakeEnds[1] = ends[1];
    return true;
}

void drainWakes() {
    char bytes[16];
    while (read(wakeEnds[0], bytes, sizeof bytes) > 0) continue;
}
}  // namespace

void posix::wakeInputWait() {
    const int error = errno;
    if (wakeEnds[1] >= 0 && write(wakeEnds[1], "", 1) < 0) {
        // A full pipe holds a wake already.
    }
    errno = error;
}

int posix::waitForInput(int fd, int signal) {
    if (!haveWakePipe()) return errno;
    pollfd waits[] = {{fd, POLLIN, 0}, {wakeEnds[0], POLLIN, 0}};
    const sigset_t before = maskSignal(SIG_UNBLOCK, signal);
    const int ready = poll(waits, 2, -1);
    const int error = errno;
    sigprocmask(SIG_SETMASK, &before, nullptr);
    if (ready < 0) return error;
    if (!waits[1].revents) return 0;
    drainWakes();
    return EINTR;
}
