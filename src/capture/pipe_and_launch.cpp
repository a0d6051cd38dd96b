#include "capture/capture_run.h"
#include "capture/process.h"
#include "diagnostics/report_failure.h"

namespace {
// A copy of the handle that no child inherits, in place of the handle itself. When no copy can be
// made the handle stays as it is.
void makeUninheritable(HANDLE& handle) {
    HANDLE copy = nullptr;
    const BOOL copied = DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0,
                                        FALSE, DUPLICATE_SAME_ACCESS);
    reportFailure(copied, "DuplicateHandle");
    if (!copied) return;
    CloseHandle(handle);
    handle = copy;
}
}  // namespace

// Points the standard output and error handles at one pipe, for the child to inherit. The child
// gets the write ends only: holding the read end, it would never learn that nobody reads. The
// utility's own output goes through the runtime's stdout, bound to the standard output it was
// started with; the handles it was started with are kept for the viewer.
void CaptureRun::createOutputPipe() {
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    reportFailure(CreatePipe(&pipeRead, &pipeWrite, &inheritable, 0), "CreatePipe");
    makeUninheritable(pipeRead);
    reportFailure(DuplicateHandle(GetCurrentProcess(), pipeWrite, GetCurrentProcess(), &errorWrite,
                                  0, TRUE, DUPLICATE_SAME_ACCESS),
                  "DuplicateHandle");
    originalOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    reportFailure(originalOutput != INVALID_HANDLE_VALUE, "GetStdHandle");
    originalError = GetStdHandle(STD_ERROR_HANDLE);
    reportFailure(originalError != INVALID_HANDLE_VALUE, "GetStdHandle");
    reportFailure(SetStdHandle(STD_OUTPUT_HANDLE, pipeWrite), "SetStdHandle");
    reportFailure(SetStdHandle(STD_ERROR_HANDLE, errorWrite), "SetStdHandle");
}

namespace {
// Whether children inherit the handle. Windows passes every inheritable handle on, whatever the
// child's standard handles are: a standard output we were given as an inheritable pipe would
// reach the program, and anything it leaves running would hold that pipeline open. Failures are
// not reported: Windows 95 exports the call without implementing it, and a console's handles
// before Windows 8 are no kernel objects; neither is a pipe to hold open.
void letChildrenInherit(HANDLE handle, bool inherit) {
    SetHandleInformation(handle, HANDLE_FLAG_INHERIT, inherit ? HANDLE_FLAG_INHERIT : 0);
}
}  // namespace

// The child inherits the pipe's write ends as its standard output and error, and none of the
// output and error we were started with, which the viewer gets back later. Once it has its
// copies, ours are closed, so that the pipe ends when the child's do. A line too long for the
// platform fails in process creation and is reported.
void CaptureRun::launchTarget() {
    letChildrenInherit(originalOutput, false);
    letChildrenInherit(originalError, false);
    PROCESS_INFORMATION child{};
    if (startProcess(commandLine, child)) {
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    letChildrenInherit(originalOutput, true);
    letChildrenInherit(originalError, true);
    reportFailure(CloseHandle(pipeWrite), "CloseHandle");
    reportFailure(CloseHandle(errorWrite), "CloseHandle");
}
