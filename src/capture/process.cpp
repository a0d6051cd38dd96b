#include "capture/process.h"

#include "diagnostics/report_failure.h"

bool startProcess(std::string commandLine, BOOL inheritHandles, PROCESS_INFORMATION& process) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr,
                                        inheritHandles, 0, nullptr, nullptr, &startup, &process);
    reportFailure(started, "CreateProcess");
    return started;
}
