#include "interaction/key.h"

#include "diagnostics/report_failure.h"
#include "platform/platform.h"

// Each step runs even when the one before failed: on redirected input the mode calls fail and
// are reported, and the byte is taken from the input as it comes.
char readKey() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    reportFailure(input != INVALID_HANDLE_VALUE, "GetStdHandle");
    DWORD saved = 0;
    reportFailure(GetConsoleMode(input, &saved), "GetconsoleMode");
    reportFailure(SetConsoleMode(input, saved & ~(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT)),
                  "SetConsoleMode");
    char key = '\0';
    DWORD count = 0;
    const BOOL read = ReadFile(input, &key, 1, &count, nullptr);
    reportFailure(read, "ReadFile");
    reportFailure(SetConsoleMode(input, saved), "SetConsoleMode");
    return read && count == 1 ? key : '\0';
}
