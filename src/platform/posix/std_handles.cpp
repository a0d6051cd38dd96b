#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/handles.h"

namespace {
bool sigpipeIgnored = false;
sigset_t startMask;

HANDLE* table() {
    static HANDLE handles[] = {
        posix::makeHandle(posix::HandleKind::File, 0),
        posix::makeHandle(posix::HandleKind::File, 1),
        posix::makeHandle(posix::HandleKind::File, 2),
    };
    return handles;
}

// STD_INPUT_HANDLE, STD_OUTPUT_HANDLE and STD_ERROR_HANDLE are -10, -11 and -12, for descriptors
// 0, 1 and 2; anything else comes out above 2.
DWORD slotOf(DWORD stdHandle) {
    return STD_INPUT_HANDLE - stdHandle;
}
}  // namespace

HANDLE posix::standardHandle(int fd) {
    return table()[fd];
}

bool posix::sigpipeIgnoredAtStart() {
    return sigpipeIgnored;
}

const sigset_t& posix::signalMaskAtStart() {
    return startMask;
}

HANDLE GetStdHandle(DWORD stdHandle) {
    if (slotOf(stdHandle) > 2) {
        posix::fail(EINVAL);
        return INVALID_HANDLE_VALUE;
    }
    return table()[slotOf(stdHandle)];
}

BOOL SetStdHandle(DWORD stdHandle, HANDLE handle) {
    if (slotOf(stdHandle) > 2) return posix::fail(EINVAL);
    table()[slotOf(stdHandle)] = handle;
    return TRUE;
}

namespace platform {
void prepareProcess() {
    for (int fd = 0; fd < 3; ++fd) {
        // The lowest free number is this one, as every lower one is open by now. Left free, it
        // would be the log's, and our own output would go into the log: then we do not run.
        if (fcntl(fd, F_GETFD) < 0 && open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd) {
            _exit(1);
        }
    }
    // Neither fails: sigprocmask only reads here, and signal fails only for a signal number that
    // is not valid or cannot be caught.
    sigprocmask(SIG_SETMASK, nullptr, &startMask);
    sigpipeIgnored = signal(SIGPIPE, SIG_IGN) == SIG_IGN;
    posix::watchContinues();
    posix::watchChildren();
    posix::takeLocale();
}
}  // namespace platform
