#include "capture/process.h"

#include "diagnostics/report_failure.h"

bool startProcess(std::string commandLine, PROCESS_INFORMATION& process) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    reportFailure(started, "CreateProcess");
    return started;
}
