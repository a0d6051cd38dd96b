// Windows has no job control: the console is always the utility's, and a read waits there for
// the key.
#include "platform/platform.h"

platform::KeyWait platform::holdConsole(HANDLE) {
    return KeyWait::Ready;
}

platform::KeyWait platform::awaitKey(HANDLE, DWORD) {
    return KeyWait::Ready;
}

void platform::releaseConsole() {}

// An interrupt cuts a console read short (from Windows 8 on, a read may even succeed with no
// byte) while the control routine, on a thread of its own, puts the mode back and ends the
// process: reading again leaves the mode to it.
bool platform::readCutShort(BOOL read, DWORD count) {
    return read ? count == 0 : GetLastError() == ERROR_OPERATION_ABORTED;
}
