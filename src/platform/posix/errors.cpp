#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/posix/handles.h"

DWORD GetLastError() {
    return static_cast<DWORD>(errno);
}

// Windows' system texts end in a line end and callers print them as they are; these do too.
// strerror's have no inserts to ignore: the flag is taken, and changes nothing.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD, LPSTR buffer, DWORD size,
                     va_list* arguments) {
    if ((flags & ~FORMAT_MESSAGE_IGNORE_INSERTS) != FORMAT_MESSAGE_FROM_SYSTEM || source ||
        arguments || !buffer || size == 0) {
        posix::fail(EINVAL);
        return 0;
    }
    const int length =
        std::snprintf(buffer, size, "%s\n", std::strerror(static_cast<int>(messageId)));
    return std::min(static_cast<DWORD>(length), size - 1);
}
