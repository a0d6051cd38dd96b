// Windows only: uses the console as a user would, for the Windows suite (wine's console on a
// pseudo-terminal). Starts the command, takes the steps, waits for the command, then prints how
// the console's input was left:  console_driver STEPS COMMAND...  ->  "mode BEFORE AFTER, N left"
// Each step is one character: 'k' waits until keys are read singly (line input off), 'l' until
// line input is back, '!' is Ctrl+C, 'u' the Up key; any other character is typed.
#include <cstdio>
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
        records[i].Event.KeyEvent = {i == 0, 1, key, 0, {}, 0};
        records[i].Event.KeyEvent.uChar.AsciiChar = character;
    }
    DWORD written = 0;
    WriteConsoleInputA(input, records, 2, &written);
}

BOOL WINAPI ignore(DWORD) {  // the interrupt is the command's
    return TRUE;
}
}  // namespace

int main(int argc, char** argv) {
    input = GetStdHandle(STD_INPUT_HANDLE);
    SetConsoleCtrlHandler(ignore, TRUE);
    DWORD before = 0, after = 0, left = 0;
    GetConsoleMode(input, &before);
    std::string line;
    for (int i = 2; i < argc; ++i) line += std::string(argv[i]) + " ";
    STARTUPINFOA startup{sizeof startup};
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
    GetConsoleMode(input, &after);
    GetNumberOfConsoleInputEvents(input, &left);
    // In one write: wine's console draws what comes a character at a time with cursor moves.
    char said[64];
    const int length = std::snprintf(said, sizeof said, "mode %lu %lu, %lu left\n", before, after,
                                     left);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), said, length, &written, nullptr);
}
