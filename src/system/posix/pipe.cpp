#include "system/pipe.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/select.h>
#include <unistd.h>

#include <cerrno>

#include "system/posix/posix.h"

namespace sys {

namespace {
// Until the pipe holds something: Bytes, to read on. Once the program has ended, an interrupt or
// quit key ends the wait for what it left behind (a background process that holds the pipe): End.
// The keys are blocked while we look and unblocked while we wait, so that none comes in between.
PipeRead waitForBytes(int fd) {
    sigset_t keys;
    sigemptyset(&keys);
    sigaddset(&keys, SIGINT);
    sigaddset(&keys, SIGQUIT);
    sigset_t before;
    sigprocmask(SIG_BLOCK, &keys, &before);
    PipeRead result = posix::interrupted && posix::programEnded ? PipeRead::End : PipeRead::Bytes;
    int waited = 0;
    if (result == PipeRead::Bytes && fd < FD_SETSIZE) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        waited = pselect(fd + 1, &readable, nullptr, nullptr, nullptr, &before);
    } else if (result == PipeRead::Bytes) {  // a number too high for select: the keys as they come
        sigprocmask(SIG_SETMASK, &before, nullptr);
        pollfd input{fd, POLLIN, 0};
        waited = poll(&input, 1, -1);
    }
    if (waited < 0 && errno != EINTR) result = PipeRead::Failed;
    sigprocmask(SIG_SETMASK, &before, nullptr);
    return result;
}

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
        const PipeRead waited = waitForBytes(fd);
        if (waited != PipeRead::Bytes) return waited;
    }
}

}  // namespace sys
