#include "capture/capture_run.h"

#include "capture/command_line.h"
#include "capture/interrupts.h"
#include "capture/process.h"
#include "capture/pump.h"
#include "diagnostics/report_failure.h"
#include "output/output.h"

namespace {
// A copy of the handle that no child inherits, in place of the handle itself. When no copy can be
// made the handle stays as it is.
void makeUninheritable(Handle& handle) {
    HANDLE copy = nullptr;
    const BOOL copied = DuplicateHandle(GetCurrentProcess(), handle.get(), GetCurrentProcess(),
                                        &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    reportFailure(copied, "DuplicateHandle");
    if (copied) handle.reset(copy);
}

// Whether children inherit the handle. Windows passes every inheritable handle on, whatever the
// child's standard handles are: a standard output we were given as an inheritable pipe would
// reach the program, and anything it leaves running would hold that pipeline open. Failures are
// not reported: Windows 95 exports the call without implementing it, and a console's handles
// before Windows 8 are no kernel objects; neither is a pipe to hold open.
void letChildrenInherit(HANDLE handle, bool inherit) {
    SetHandleInformation(handle, HANDLE_FLAG_INHERIT, inherit ? HANDLE_FLAG_INHERIT : 0);
}
}  // namespace

void CaptureRun::prepare(int count, const char* const* args) {
    buildCommandLine(count, args);
    openLogFile();
    createOutputPipe();
}

// From before the program can be interrupted until its output has ended.
void CaptureRun::run() {
    leaveInterruptsToOthers();
    launchTarget();
    pumpOutput();
    takeInterruptsBack();
}

void CaptureRun::buildCommandLine(int count, const char* const* args) {
    commandLine = commandLineFor(count, args, platform::executableSuffix(args[0]).c_str());
}

void CaptureRun::openLogFile() {
    logFile.create();
}

// Points the standard output and error handles at one pipe, for the child to inherit. The child
// gets the write ends only: holding the read end, it would never learn that nobody reads. The
// utility's own output goes through the runtime's stdout, bound to the standard output it was
// started with.
void CaptureRun::createOutputPipe() {
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    reportFailure(CreatePipe(pipeRead.receive(), pipeWrite.receive(), &inheritable, 0),
                  "CreatePipe");
    makeUninheritable(pipeRead);
    reportFailure(DuplicateHandle(GetCurrentProcess(), pipeWrite.get(), GetCurrentProcess(),
                                  errorWrite.receive(), 0, TRUE, DUPLICATE_SAME_ACCESS),
                  "DuplicateHandle");
    originalOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    reportFailure(originalOutput != INVALID_HANDLE_VALUE, "GetStdHandle");
    originalError = GetStdHandle(STD_ERROR_HANDLE);
    reportFailure(originalError != INVALID_HANDLE_VALUE, "GetStdHandle");
    reportFailure(SetStdHandle(STD_OUTPUT_HANDLE, pipeWrite.get()), "SetStdHandle");
    reportFailure(SetStdHandle(STD_ERROR_HANDLE, errorWrite.get()), "SetStdHandle");
}

// The child inherits the pipe's write ends as its standard output and error, and none of the
// output and error we were started with, which are the standard handles again once it has its
// own (the viewer's, later). Once it has its copies, ours are closed, so that the pipe ends when
// the child's do. A line too long for the platform fails in process creation and is reported.
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
    reportFailure(SetStdHandle(STD_OUTPUT_HANDLE, originalOutput), "SetStdHandle");
    reportFailure(SetStdHandle(STD_ERROR_HANDLE, originalError), "SetStdHandle");
    reportFailure(pipeWrite.close(), "CloseHandle");
    reportFailure(errorWrite.close(), "CloseHandle");
}

// Once nobody reads the echo (the reader of our output has gone, as `| head` does), the run is
// over: closing the read end tells the child that nobody reads, as a pipeline expects. With no
// pipe there is nothing to copy: CreatePipe's failure, the one that matters, has been reported.
void CaptureRun::pumpOutput() {
    if (pipeRead) copyPipe(pipeRead.get(), logFile.handle());
    endEcho();
    logFile.close();
    pipeRead.close();
}
