#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/handles.h"

namespace {
// Only the log's way of opening is supported: write access, always a new file.
bool isLogOpen(DWORD access, DWORD disposition, HANDLE templateFile) {
    return access == GENERIC_WRITE && disposition == CREATE_NEW && !templateFile;
}
}  // namespace

// CREATE_NEW fails with ERROR_FILE_EXISTS when anything stands at the path, a link that leads
// nowhere included, as on Windows. 0600 keeps other users from reading the capture.
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD, LPSECURITY_ATTRIBUTES security,
                   DWORD creationDisposition, DWORD, HANDLE templateFile) {
    if (!fileName || !isLogOpen(desiredAccess, creationDisposition, templateFile)) {
        posix::fail(EINVAL);
        return INVALID_HANDLE_VALUE;
    }
    const int inherit = security && security->bInheritHandle ? 0 : O_CLOEXEC;
    const int fd = open(fileName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | inherit, 0600);
    return fd < 0 ? INVALID_HANDLE_VALUE : posix::makeHandle(posix::HandleKind::File, fd);
}

BOOL DeleteFileA(LPCSTR fileName) {
    return unlink(fileName) == 0;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
              LPOVERLAPPED overlapped) {
    *bytesRead = 0;
    const int fd = posix::descriptorOf(file);
    if (fd < 0) return posix::fail(EBADF);
    if (overlapped) return posix::fail(EINVAL);
    ssize_t count;
    while ((count = read(fd, buffer, bytesToRead)) < 0 && errno == EINTR) continue;
    if (count < 0) return FALSE;
    // A Windows anonymous pipe reports its end as a broken pipe once every writer is gone.
    if (count == 0 && bytesToRead > 0 && posix::kindOf(file) == posix::HandleKind::Pipe) {
        return posix::fail(EPIPE);
    }
    *bytesRead = static_cast<DWORD>(count);
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
               LPOVERLAPPED overlapped) {
    *bytesWritten = 0;
    const int fd = posix::descriptorOf(file);
    if (fd < 0) return posix::fail(EBADF);
    if (overlapped) return posix::fail(EINVAL);
    const char* bytes = static_cast<const char*>(buffer);
    while (*bytesWritten < bytesToWrite) {
        const ssize_t count = write(fd, bytes + *bytesWritten, bytesToWrite - *bytesWritten);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return FALSE;
        *bytesWritten += static_cast<DWORD>(count);
    }
    return TRUE;
}
