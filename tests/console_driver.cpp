// Windows only: uses a console as a user would, for the Windows suite, which runs under wine with
// its standard handles redirected. Starts the command on the console's input, takes the steps,
// waits for the command, then says how the console's input was left:
//   console_driver STEPS COMMAND...     prints "mode BEFORE AFTER, N events left"
// Each step is one character: 'k' waits until keys are read singly (line input off), 'l' until
// line input is back, '!' is Ctrl+C, 'u' the Up key; any other character is typed.
#include <string>

#include "platform/platform.h"

namespace {
HANDLE input;

void waitForLineInput(bool on) {
    DWORD mode = 0;
    while (GetConsoleMode(input, &mode) && bool(mode & ENABLE_LINE_INPUT) != on) Sleep(10);
}

void press(char character, WORD key) {
    INPUT_RECORD records[2] = {};
    for (int i = 0; i < 2; ++i) {
        records[i].EventType = KEY_EVENT;
        records[i].Event.KeyEvent.bKeyDown = i == 0;
        records[i].Event.KeyEvent.wRepeatCount = 1;
        records[i].Event.KeyEvent.wVirtualKeyCode = key;
        records[i].Event.KeyEvent.uChar.AsciiChar = character;
    }
    DWORD written = 0;
    WriteConsoleInputA(input, records, 2, &written);
}

// Ours to ignore: it is the command's to act on.
BOOL WINAPI ignore(DWORD) {
    return TRUE;
}
}  // namespace

int main(int argc, char** argv) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        &inheritable, OPEN_EXISTING, 0, nullptr);
    SetStdHandle(STD_INPUT_HANDLE, input);
    SetConsoleCtrlHandler(ignore, TRUE);
    DWORD before = 0;
    GetConsoleMode(input, &before);
    std::string line;
    for (int i = 2; i < argc; ++i) line += std::string(argv[i]) + " ";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process))
        return 2;
    for (const char* step = argv[1]; *step; ++step) {
        if (*step == 'k' || *step == 'l')
            waitForLineInput(*step == 'l');
        else if (*step == '!')
            GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
        else
            press(*step == 'u' ? '\0' : *step, *step == 'u' ? VK_UP : 0);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD after = 0;
    DWORD left = 0;
    GetConsoleMode(input, &after);
    GetNumberOfConsoleInputEvents(input, &left);
    const std::string said = "mode " + std::to_string(before) + " " + std::to_string(after) + ", " +
                             std::to_string(left) + " events left\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), said.data(), static_cast<DWORD>(said.size()), &written, nullptr);
    return 0;
}
