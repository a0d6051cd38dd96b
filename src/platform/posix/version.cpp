#include <cerrno>

#include "platform/posix/handles.h"

// Fails, as Windows does, unless the caller says which structure it passed.
BOOL GetVersionExA(LPOSVERSIONINFOA versionInformation) {
    if (!versionInformation || versionInformation->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        return posix::fail(EINVAL);
    }
    *versionInformation = {sizeof(OSVERSIONINFOA), 0, 0, 0, VER_PLATFORM_WIN32_NT, ""};
    return TRUE;
}
