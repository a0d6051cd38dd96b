#include "interaction/key.h"

#include "diagnostics/report_failure.h"
#include "platform/platform.h"

namespace {
// How long the rest of a key may take to follow its first byte, as editors wait for the rest of an
// escape sequence.
constexpr DWORD kRestOfKeyMilliseconds = 100;

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
// program ran) is discarded, and so is the rest of the key (an escape sequence, the other bytes
// of a character), so that nothing of it reaches the next reader. Redirected input is no console
// and keeps every byte.
void discardTyped(BOOL console) {
    if (console) reportFailure(FlushConsoleInputBuffer(keyInput), "FlushConsoleInputBuffer");
}

// An escape sequence, or a character of several bytes.
bool startsSequence(char key) {
    const auto byte = static_cast<unsigned char>(key);
    return byte == 0x1B || byte >= 0xC0;
}

// Over a slow link the rest of a key comes a little after its first byte: what comes within a
// short while of it is discarded too.
void discardRestOf(char key, BOOL console) {
    discardTyped(console);
    if (!console || !startsSequence(key)) return;
    DWORD waited;
    while ((waited = WaitForSingleObject(keyInput, kRestOfKeyMilliseconds)) == WAIT_OBJECT_0) {
        discardTyped(console);
    }
    reportFailure(waited != WAIT_FAILED, "WaitForSingleObject");
}

// Returns false when a stop came instead of the key; the input is then as it was.
bool readInKeyMode(char& key, BOOL console) {
    // Before the change, so that a key typed as soon as the mode allows it is kept.
    discardTyped(console);
    reportFailure(SetConsoleMode(keyInput, savedMode & ~(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT)),
                  "SetConsoleMode");
    if (console && platform::awaitKey(keyInput, savedMode) == platform::KeyWait::Stopped) {
        return false;
    }
    DWORD count = 0;
    BOOL read;
    do read = ReadFile(keyInput, &key, 1, &count, nullptr);
    while (console && platform::readCutShort(read, count));
    reportFailure(read, "ReadFile");
    if (!read || count != 1) key = '\0';
    discardRestOf(key, console);
    reportFailure(SetConsoleMode(keyInput, savedMode), "SetConsoleMode");
    return true;
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
    if (!console) return readInKeyMode(key, console);
    if (platform::holdConsole(keyInput) == platform::KeyWait::Stopped) {
        platform::releaseConsole();
        return false;
    }
    reportFailure(SetConsoleCtrlHandler(restoreModeAndEnd, TRUE), "SetConsoleCtrlHandler");
    const bool answered = readInKeyMode(key, console);
    reportFailure(SetConsoleCtrlHandler(restoreModeAndEnd, FALSE), "SetConsoleCtrlHandler");
    platform::releaseConsole();
    return answered;
}
