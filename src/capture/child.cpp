#include <string>

#include "capture/capture_run.h"
#include "diagnostics/report_failure.h"

// Points the standard output and error handles at one pipe, for the child to inherit. They are
// never pointed back: the utility's own output goes through the runtime's stdout, which is
// bound to the standard output it was started with.
void CaptureRun::createOutputPipe() {
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    reportFailure(CreatePipe(&pipeRead, &pipeWrite, &inheritable, 0), "CreatePipe");
    reportFailure(DuplicateHandle(GetCurrentProcess(), pipeWrite, GetCurrentProcess(), &errorWrite,
                                  0, TRUE, DUPLICATE_SAME_ACCESS),
                  "DuplicateHandle");
    reportFailure(SetStdHandle(STD_OUTPUT_HANDLE, pipeWrite), "SetStdHandle");
    reportFailure(SetStdHandle(STD_ERROR_HANDLE, errorWrite), "SetStdHandle");
}

// Once the child has its copies, ours are closed, so that the pipe ends when the child's do.
void CaptureRun::launchTarget() {
    // Process creation may write into the line, so it gets a copy, sized to fit whatever its
    // length; a line too long for the platform fails there and is reported.
    std::string line = commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &child);
    reportFailure(started, "CreateProcess");
    if (started) {
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    reportFailure(CloseHandle(pipeWrite), "CloseHandle");
    reportFailure(CloseHandle(errorWrite), "CloseHandle");
}
