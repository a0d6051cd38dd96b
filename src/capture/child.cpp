#include "capture/capture_run.h"
#include "capture/process.h"
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

// The child inherits the pipe's write ends as its standard output and error. Once it has its
// copies, ours are closed, so that the pipe ends when the child's do. A line too long for the
// platform fails in process creation and is reported.
void CaptureRun::launchTarget() {
    PROCESS_INFORMATION child{};
    if (startProcess(commandLine, TRUE, child)) {
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    reportFailure(CloseHandle(pipeWrite), "CloseHandle");
    reportFailure(CloseHandle(errorWrite), "CloseHandle");
}
