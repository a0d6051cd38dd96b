#include <termios.h>

#include <cerrno>

#include "platform/posix/handles.h"

// Console modes over termios: line input is canonical input, echo input is echo and processed
// input is the signal keys. A descriptor that is no terminal fails with ENOTTY, as a handle that
// is no console fails on Windows.
BOOL GetConsoleMode(HANDLE console, LPDWORD mode) {
    const int fd = posix::descriptorOf(console);
    if (fd < 0) return posix::fail(EBADF);
    termios settings;
    if (tcgetattr(fd, &settings) != 0) return FALSE;
    *mode = (settings.c_lflag & ICANON ? ENABLE_LINE_INPUT : 0) |
            (settings.c_lflag & ECHO ? ENABLE_ECHO_INPUT : 0) |
            (settings.c_lflag & ISIG ? ENABLE_PROCESSED_INPUT : 0);
    return TRUE;
}
