#include "system/pipe.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace sys {

namespace {
bool addFlags(int fd, int get, int set, int flags) {
    const int current = fcntl(fd, get);
    return current >= 0 && fcntl(fd, set, current | flags) == 0;
}
}  // namespace

// Close-on-exec after the pipe, not with it (pipe2 is not everywhere): we have one thread. The
// read end does not block, so that a read that finds the pipe empty says so: only then is it worth
// a flush and a poll.
bool createPipe(Pipe& pipe) {
    int ends[2];
    if (::pipe(ends) != 0) return false;
    pipe.read = Handle(ends[0]);
    pipe.write = Handle(ends[1]);
    return addFlags(ends[0], F_GETFD, F_SETFD, FD_CLOEXEC) &&
           addFlags(ends[1], F_GETFD, F_SETFD, FD_CLOEXEC) &&
           addFlags(ends[0], F_GETFL, F_SETFL, O_NONBLOCK);
}

PipeRead readPipe(const Handle& pipe, char* buffer, std::size_t size, std::size_t& count,
                  bool (*beforeWaiting)()) {
    count = 0;
    const int fd = static_cast<int>(pipe.get());
    for (;;) {
        const ssize_t got = ::read(fd, buffer, size);
        if (got > 0) {
            count = static_cast<std::size_t>(got);
            return PipeRead::Bytes;
        }
        if (got == 0) return PipeRead::End;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return PipeRead::Failed;
        if (!beforeWaiting()) return PipeRead::Bytes;
        pollfd input{fd, POLLIN, 0};
        if (poll(&input, 1, -1) < 0 && errno != EINTR) return PipeRead::Failed;
    }
}

}  // namespace sys
