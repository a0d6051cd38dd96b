#include "system/terminal.h"

#include "system/ending.h"
#include "system/windows/win32.h"

namespace {
// As editors wait for the rest of an escape sequence.
constexpr DWORD kRestOfKeyMilliseconds = 100;

// The input and the mode it had, for the ending's clean-up to put back.
HANDLE keyInput = nullptr;
DWORD savedMode = 0;

// A console keeps the mode the last process gave it: before an ending takes the utility away at
// the prompt, the input gets its mode back. There is nobody to tell of a failure then.
void restoreSavedMode() {
    SetConsoleMode(keyInput, savedMode);
}

// Over a slow link the rest of a key (an escape sequence, a character's other bytes) comes a
// little after its first byte, and is discarded too. Flushing a console fails no more than the
// mode calls do, which are reported.
void discardRestOf(HANDLE input, char key) {
    FlushConsoleInputBuffer(input);
    const auto byte = static_cast<unsigned char>(key);
    if (byte != 0x1B && byte < 0xC0) return;
    while (WaitForSingleObject(input, kRestOfKeyMilliseconds) == WAIT_OBJECT_0) {
        FlushConsoleInputBuffer(input);
    }
}
}  // namespace

sys::Handle::Native sys::standardOutput() {
    return asNative(GetStdHandle(STD_OUTPUT_HANDLE));
}

sys::Handle::Native sys::standardError() {
    return asNative(GetStdHandle(STD_ERROR_HANDLE));
}

// A question, not an operation: failing means the handle is no console.
bool sys::isTerminal(Handle::Native handle) {
    DWORD mode;
    return GetConsoleMode(asHandle(handle), &mode);
}

// A console has no job control.
void sys::stopUntilForeground() {}

// A console is always the process's own: none of it is another session's.
bool sys::inputIsAnotherSessions() {
    return false;
}

// Its only process is the utility, and both its keyboard and its window are the utility's
// standard input and output. GetConsoleProcessList (Windows XP on) is looked up: importing it
// would keep the utility from loading on Windows 95. Each query's failure is its answer.
bool sys::consoleIsOursAlone() {
    using List = DWORD(WINAPI*)(LPDWORD, DWORD);
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto list = reinterpret_cast<List>(reinterpret_cast<void (*)()>(
        kernel ? GetProcAddress(kernel, "GetConsoleProcessList") : nullptr));
    DWORD processes[2];
    DWORD mode;
    return list && list(processes, 2) == 1 &&
           GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) &&
           GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode);
}

// INVALID_HANDLE_VALUE is GetStdHandle's failure. A null input, that of a process started without
// one, is kept as it is: the calls on it fail and say why.
sys::Keyboard::Keyboard()
    : input_(reinterpret_cast<Handle::Native>(GetStdHandle(STD_INPUT_HANDLE))) {}

// The clean-up goes with the mode that it restores, if restoreMode never came.
sys::Keyboard::~Keyboard() {
    if (changed_) noLongerOnEnding(restoreSavedMode);
}

bool sys::Keyboard::found() const {
    return input_ != Handle::kNone;
}

// Noted where the ending's clean-up finds them.
bool sys::Keyboard::saveMode() {
    keyInput = asHandle(input_);
    terminal_ = GetConsoleMode(keyInput, &savedMode);
    return terminal_;
}

// Redirected input is no console and keeps every byte; its mode call fails.
bool sys::Keyboard::setKeyMode() {
    const HANDLE input = asHandle(input_);
    FirstFailure outcome;
    if (terminal_) {
        // Before the change, so that a key typed as soon as the mode allows it is kept.
        FlushConsoleInputBuffer(input);
        outcome.note(onEnding(restoreSavedMode));
    }
    changed_ = true;
    outcome.note(SetConsoleMode(input, savedMode & ~(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT)));
    return outcome.result();
}

// Windows has no job control: the console is always the utility's, and a read waits there for
// the key. An interrupt cuts a console read short (from Windows 8 on, a read may even succeed
// with no byte) while the control routine, on its own thread, puts the mode back and ends the
// process: reading again leaves the mode to it.
sys::KeyRead sys::Keyboard::readKey(char& key) {
    const HANDLE input = asHandle(input_);
    DWORD count = 0;
    BOOL read;
    do read = ReadFile(input, &key, 1, &count, nullptr);
    while (terminal_ && (read ? count == 0 : GetLastError() == ERROR_OPERATION_ABORTED));
    const DWORD error = GetLastError();
    if (!read || count != 1) key = '\0';
    if (terminal_) discardRestOf(input, key);
    if (read) return KeyRead::Key;
    SetLastError(error);
    return KeyRead::Failed;
}

bool sys::Keyboard::restoreMode() {
    const BOOL restored = SetConsoleMode(asHandle(input_), savedMode);
    noLongerOnEnding(restoreSavedMode);
    changed_ = false;
    return restored;
}
