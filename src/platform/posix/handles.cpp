#include "platform/posix/handles.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace posix {
namespace {
constexpr int kKindBits = 3;
constexpr std::uintptr_t kKindMask = (1u << kKindBits) - 1;

std::intptr_t idOf(HANDLE handle) {
    return static_cast<std::intptr_t>(reinterpret_cast<std::uintptr_t>(handle) >> kKindBits);
}
}  // namespace

HANDLE makeHandle(HandleKind kind, int id) {
    const auto bits =
        static_cast<std::uintptr_t>(id) << kKindBits | static_cast<std::uintptr_t>(kind);
    return reinterpret_cast<HANDLE>(bits);
}

HandleKind kindOf(HANDLE handle) {
    return static_cast<HandleKind>(reinterpret_cast<std::uintptr_t>(handle) & kKindMask);
}

int descriptorOf(HANDLE handle) {
    const HandleKind kind = kindOf(handle);
    if (kind != HandleKind::File && kind != HandleKind::Pipe) return -1;
    return static_cast<int>(idOf(handle));
}

pid_t processOf(HANDLE handle) {
    return kindOf(handle) == HandleKind::Process ? static_cast<pid_t>(idOf(handle)) : -1;
}

BOOL fail(int error) {
    errno = error;
    return FALSE;
}

}  // namespace posix

BOOL CloseHandle(HANDLE object) {
    switch (posix::kindOf(object)) {
    case posix::HandleKind::File:
    case posix::HandleKind::Pipe:
        // Not retried on EINTR: on Linux the descriptor is released whatever close returns.
        return close(posix::descriptorOf(object)) == 0;
    case posix::HandleKind::Process:
        posix::releaseProcess(posix::processOf(object));
        return TRUE;
    case posix::HandleKind::Thread:
        return TRUE;
    }
    return posix::fail(EBADF);
}
