#include "interaction/key.h"

#include "diagnostics/report_failure.h"
#include "platform/platform.h"

namespace {
// The input and the mode it had, for the control handler to put back.
HANDLE keyInput = nullptr;
DWORD savedMode = 0;

// A console keeps the mode the last process gave it: before an interrupt ends the utility at the
// prompt, the input gets its mode back.
BOOL WINAPI restoreModeAndEnd(DWORD) {
    SetConsoleMode(keyInput, savedMode);
    return FALSE;
}

// Only a key typed after the prompt answers it: what was typed before (Enter, pressed while the
// program ran) is discarded. Redirected input is no console and keeps every byte.
void enterKeyMode(bool console) {
    if (!console) return;
    reportFailure(SetConsoleCtrlHandler(restoreModeAndEnd, TRUE), "SetConsoleCtrlHandler");
    reportFailure(FlushConsoleInputBuffer(keyInput), "FlushConsoleInputBuffer");
}

// The rest of the key (an escape sequence, the other bytes of a character) is discarded too, so
// that nothing of it reaches the next reader.
void leaveKeyMode(bool console) {
    if (!console) return;
    reportFailure(FlushConsoleInputBuffer(keyInput), "FlushConsoleInputBuffer");
    reportFailure(SetConsoleCtrlHandler(restoreModeAndEnd, FALSE), "SetConsoleCtrlHandler");
}
}  // namespace

// Each step runs even when the one before failed: on redirected input the mode calls fail and
// are reported, and the byte is taken from the input as it comes.
bool readKey(char& key) {
    keyInput = GetStdHandle(STD_INPUT_HANDLE);
    reportFailure(keyInput != INVALID_HANDLE_VALUE, "GetStdHandle");
    const BOOL console = GetConsoleMode(keyInput, &savedMode);
    // Spelt as the utility has always reported it; scripts that read the reports know it so.
    reportFailure(console, "GetconsoleMode");
    enterKeyMode(console);
    reportFailure(SetConsoleMode(keyInput, savedMode & ~(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT)),
                  "SetConsoleMode");
    DWORD count = 0;
    const BOOL read = ReadFile(keyInput, &key, 1, &count, nullptr);
    const bool abandoned = !read && GetLastError() == ERROR_OPERATION_ABORTED;
    if (!abandoned) reportFailure(read, "ReadFile");
    reportFailure(SetConsoleMode(keyInput, savedMode), "SetConsoleMode");
    leaveKeyMode(console);
    if (!read || count != 1) key = '\0';
    return !abandoned;
}
