#include <cerrno>

#include "platform/posix/handles.h"

namespace {
HANDLE* table() {
    static HANDLE handles[] = {
        posix::makeHandle(posix::HandleKind::File, 0),
        posix::makeHandle(posix::HandleKind::File, 1),
        posix::makeHandle(posix::HandleKind::File, 2),
    };
    return handles;
}

// STD_INPUT_HANDLE, STD_OUTPUT_HANDLE and STD_ERROR_HANDLE are -10, -11 and -12; anything
// else comes out above 2.
DWORD slotOf(DWORD stdHandle) {
    return STD_INPUT_HANDLE - stdHandle;
}
}  // namespace

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
