#include "system/errors.h"

#include <algorithm>

#include <windows.h>

namespace {
// FormatMessage takes no larger buffer.
constexpr std::size_t kMostTextChars = 64 * 1024;
}  // namespace

long sys::lastError() {
    return static_cast<long>(GetLastError());
}

// Without inserts to give, a text that has one ("%1 is not a valid Win32 application.") comes as
// it stands, not as nothing.
void sys::errorText(long code, char* buffer, std::size_t size) {
    if (size == 0) return;
    const auto chars = static_cast<DWORD>(std::min(size, kMostTextChars));
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer,
                       chars, nullptr) == 0) {
        buffer[0] = '\0';
    }
}

// Wine fails a write to a pipe whose reader has gone with ERROR_PIPE_NOT_CONNECTED.
bool sys::meansNoReader(long code) {
    const auto error = static_cast<DWORD>(code);
    return error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE ||
           error == ERROR_PIPE_NOT_CONNECTED;
}
