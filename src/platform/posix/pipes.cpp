#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/handles.h"

namespace {
bool isCurrentProcess(HANDLE process) {
    return posix::processOf(process) == getpid();
}

bool closeOnExec(int fd) {
    return fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}
}  // namespace

// The size is only a hint on Windows; the system's default pipe buffer serves for any.
BOOL CreatePipe(PHANDLE readPipe, PHANDLE writePipe, LPSECURITY_ATTRIBUTES attributes, DWORD) {
    if (attributes && attributes->lpSecurityDescriptor) return posix::fail(EINVAL);
    int ends[2];
    if (pipe(ends) != 0) return FALSE;
    // Made close-on-exec after the pipe, not with it (pipe2 is Linux's): the utility has one
    // thread, so no child can start in between.
    const bool inherit = attributes && attributes->bInheritHandle;
    if (!inherit && !(closeOnExec(ends[0]) && closeOnExec(ends[1]))) {
        const int error = errno;
        close(ends[0]);
        close(ends[1]);
        return posix::fail(error);
    }
    *readPipe = posix::makeHandle(posix::HandleKind::Pipe, ends[0]);
    *writePipe = posix::makeHandle(posix::HandleKind::Pipe, ends[1]);
    return TRUE;
}

BOOL DuplicateHandle(HANDLE sourceProcess, HANDLE sourceHandle, HANDLE targetProcess,
                     LPHANDLE targetHandle, DWORD, BOOL inheritHandle, DWORD options) {
    const int fd = posix::descriptorOf(sourceHandle);
    if (fd < 0) return posix::fail(EBADF);
    if (!isCurrentProcess(sourceProcess) || !isCurrentProcess(targetProcess) ||
        options != DUPLICATE_SAME_ACCESS) {
        return posix::fail(EINVAL);
    }
    const int copy = fcntl(fd, inheritHandle ? F_DUPFD : F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return FALSE;
    *targetHandle = posix::makeHandle(posix::kindOf(sourceHandle), copy);
    return TRUE;
}

BOOL SetHandleInformation(HANDLE object, DWORD mask, DWORD flags) {
    const int fd = posix::descriptorOf(object);
    if (fd < 0) return posix::fail(EBADF);
    if (mask != HANDLE_FLAG_INHERIT) return posix::fail(EINVAL);
    return fcntl(fd, F_SETFD, flags & HANDLE_FLAG_INHERIT ? 0 : FD_CLOEXEC) == 0;
}
