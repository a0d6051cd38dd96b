#include "platform/platform.h"

// Its only process is the utility, and both its keyboard and its window are the utility's
// standard input and output. GetConsoleProcessList (Windows XP on) is looked up: importing it
// would keep the utility from loading on Windows 95. Each query's failure is its answer.
bool platform::ownsConsoleAlone() {
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
