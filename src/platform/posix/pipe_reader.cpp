#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"
#include "platform/posix/handles.h"

namespace {
// Only our read end: the program's write end stays as it was.
bool setNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}
}  // namespace

// A read that finds the pipe empty says so (EAGAIN) rather than waiting: only then is it worth a
// flush and a poll, so bulk output costs no more calls than blocking reads would.
BOOL platform::PipeReader::read(void* buffer, DWORD size, LPDWORD count) {
    *count = 0;
    const int fd = posix::descriptorOf(pipe);
    if (fd < 0) return posix::fail(EBADF);
    readyToPoll = readyToPoll || setNonBlocking(fd);
    if (!readyToPoll) return FALSE;
    for (;;) {
        const ssize_t got = ::read(fd, buffer, size);
        if (got > 0) {
            *count = static_cast<DWORD>(got);
            return TRUE;
        }
        // A Windows anonymous pipe reports its end as a broken pipe once every writer is gone.
        if (got == 0) return posix::fail(EPIPE);
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return FALSE;
        if (!beforeWaiting()) return TRUE;
        pollfd input{fd, POLLIN, 0};
        if (poll(&input, 1, -1) < 0 && errno != EINTR) return FALSE;
    }
}
