#include "system/files.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace sys {

// Not retried on EINTR: on Linux the descriptor is released whatever close returns.
bool Handle::close() {
    const Native fd = release();
    return fd == kNone || ::close(static_cast<int>(fd)) == 0;
}

// An empty TMPDIR means none to the C library too. With none, where POSIX programs keep
// temporary files (P_tmpdir), not whatever folder the user happens to be in.
std::string temporaryFolder() {
    for (const char* name : {"TEMP", "TMP", "TMPDIR"}) {
        const char* folder = std::getenv(name);
        if (folder && *folder) return folder + std::string("/");
    }
    return "/tmp/";
}

unsigned long processId() {
    return static_cast<unsigned long>(getpid());
}

// 0600 keeps other users from reading the capture; O_NOFOLLOW and O_EXCL leave whatever stands
// at the path alone, a link that leads nowhere included.
Creation createNewFile(const std::string& path, Handle& file) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return errno == EEXIST ? Creation::Taken : Creation::Failed;
    file = Handle(fd);
    return Creation::Created;
}

// A program that shares our terminal may make its open file non-blocking (node and asyncio do):
// then a write that would block waits until the terminal takes more, as the program alone would.
bool writeAll(Handle::Native file, const char* bytes, std::size_t count) {
    const int fd = static_cast<int>(file);
    while (count > 0) {
        const ssize_t written = write(fd, bytes, count);
        if (written >= 0) {
            bytes += written;
            count -= static_cast<std::size_t>(written);
            continue;
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
        pollfd out{fd, POLLOUT, 0};
        if (poll(&out, 1, -1) < 0 && errno != EINTR) return false;
    }
    return true;
}

bool removeFile(const char* path) {
    return unlink(path) == 0;
}

}  // namespace sys
