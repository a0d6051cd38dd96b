#include <windows.h>

#include <cstdlib>
#include <string>

#include "test_child.h"

namespace {
// The grandchild is this program again, inheriting our standard handles: it waits until we
// have gone, then writes.
void leaveGrandchild(const std::string& text) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string line = "\"" + std::string(self) +
                       "\" waitfor:" + std::to_string(GetCurrentProcessId()) + " out:" + text;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::exit(104);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void waitFor(DWORD processId) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (!process) return;  // gone already
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
}
}  // namespace

// Straight to the handle, so that the runtime's text mode changes nothing.
void writeAll(int stream, const std::string& bytes) {
    HANDLE handle = GetStdHandle(stream == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD count = 0;
        if (!WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &count,
                       nullptr)) {
            std::exit(100);
        }
        done += count;
    }
}

bool platformAction(const std::string& name, const std::string& value) {
    if (name == "grandchild") {
        leaveGrandchild(value);
    } else if (name == "waitfor") {
        waitFor(static_cast<DWORD>(std::stoul(value)));
    } else {
        return false;
    }
    return true;
}
