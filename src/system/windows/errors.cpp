#include "system/errors.h"

#include <algorithm>

#include <windows.h>

long sys::lastError() {
    return static_cast<long>(GetLastError());
}

// Without inserts to give, a text that has one ("%1 is not a valid Win32 application.") comes as
// it stands, not as nothing. FormatMessage takes no buffer above 64 KiB.
void sys::errorText(long code, char* buffer, std::size_t size) {
    if (size == 0) return;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer,
                       static_cast<DWORD>(std::min<std::size_t>(size, 64 * 1024)), nullptr);
    if (length == 0) buffer[0] = '\0';
}

// Wine fails a write to a pipe whose reader has gone with ERROR_PIPE_NOT_CONNECTED.
bool sys::meansNoReader(long code) {
    return code == ERROR_NO_DATA || code == ERROR_BROKEN_PIPE || code == ERROR_PIPE_NOT_CONNECTED;
}
