#include "system/process.h"

#include <algorithm>
#include <cstdlib>

#include "system/windows/command_line.h"
#include "system/windows/win32.h"

namespace {
// What cmd tries when PATHEXT is not set.
constexpr char kDefaultExtensions[] = ".COM;.EXE;.BAT;.CMD";

// Whether the file is where process creation looks for a program: the utility's folder, the
// current one, the system's and PATH. Not finding it is an answer, not a failure.
bool found(const std::string& file) {
    char path[MAX_PATH];
    char* name;
    return SearchPathA(nullptr, file.c_str(), nullptr, MAX_PATH, path, &name) > 0;
}

// What a program named without an extension gets, for the utility to name it as cmd finds it:
// process creation itself adds only ".exe". That, or where there is no such program, the first
// of PATHEXT's extensions that names one, as cmd finds build.cmd for build.
std::string executableSuffix(const std::string& program) {
    if (program.find('.') != std::string::npos || found(program + ".exe")) return ".exe";
    const char* variable = std::getenv("PATHEXT");
    const std::string extensions = variable ? variable : kDefaultExtensions;
    for (std::size_t start = 0, end; start < extensions.size(); start = end + 1) {
        end = std::min(extensions.find(';', start), extensions.size());
        const std::string extension = extensions.substr(start, end - start);
        if (!extension.empty() && found(program + extension)) return extension;
    }
    return ".exe";
}

// Whether children inherit the handle. Windows passes every inheritable handle on, whatever the
// child's standard handles are: a standard output we were given as an inheritable pipe would
// reach the program, and anything it leaves running would hold that pipeline open. Failures do
// not count: Windows 95 exports the call without implementing it, and a console's handles before
// Windows 8 are no kernel objects; neither is a pipe to hold open.
void letChildrenInherit(HANDLE handle, bool inherit) {
    SetHandleInformation(handle, HANDLE_FLAG_INHERIT, inherit ? HANDLE_FLAG_INHERIT : 0);
}

// The child gets our standard handles and every inheritable handle of ours.
BOOL startProcess(std::string line, PROCESS_INFORMATION& process) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &process);
}

// The standard output and error we were started with, ours again once the program has its own.
struct StandardHandles {
    HANDLE output;
    HANDLE error;
};

// Our standard output and error become the program's for as long as it takes to start it, and
// the ones we were started with are not inherited meanwhile. With no pipe they are none, and the
// program's writes go nowhere.
StandardHandles redirect(HANDLE output, HANDLE error, sys::FirstFailure& outcome) {
    const StandardHandles original{GetStdHandle(STD_OUTPUT_HANDLE), GetStdHandle(STD_ERROR_HANDLE)};
    outcome.note(original.output != INVALID_HANDLE_VALUE);
    outcome.note(original.error != INVALID_HANDLE_VALUE);
    outcome.note(SetStdHandle(STD_OUTPUT_HANDLE, output));
    outcome.note(SetStdHandle(STD_ERROR_HANDLE, error));
    letChildrenInherit(original.output, false);
    letChildrenInherit(original.error, false);
    return original;
}

void restore(const StandardHandles& original, sys::FirstFailure& outcome) {
    letChildrenInherit(original.output, true);
    letChildrenInherit(original.error, true);
    outcome.note(SetStdHandle(STD_OUTPUT_HANDLE, original.output));
    outcome.note(SetStdHandle(STD_ERROR_HANDLE, original.error));
}

// Standard error is a handle of its own on the same pipe, inheritable as the write end is.
HANDLE errorCopyOf(HANDLE output, sys::FirstFailure& outcome) {
    HANDLE copy = nullptr;
    if (!output) return copy;
    const HANDLE self = GetCurrentProcess();
    outcome.note(DuplicateHandle(self, output, self, &copy, 0, TRUE, DUPLICATE_SAME_ACCESS));
    return copy;
}
}  // namespace

// The program inherits the pipe's write ends as its standard output and error, and none of the
// output and error we were started with. Once it has its copies, the copy for its standard error
// is closed, as the caller closes the write end, so that the pipe ends when the program's do. A
// line too long for the platform fails in process creation.
bool sys::startProgram(const std::vector<std::string>& args, const Handle& output) {
    const std::string line = commandLineFor(args, executableSuffix(args[0]));
    FirstFailure outcome;
    const HANDLE write = output ? asHandle(output.get()) : nullptr;
    const HANDLE errorCopy = errorCopyOf(write, outcome);
    const StandardHandles original = redirect(write, errorCopy, outcome);
    PROCESS_INFORMATION child{};
    const BOOL started = startProcess(line, child);
    outcome.note(started);
    if (started) {
        // Nothing waits for the program: closing our handles of it can only fail for handles
        // that are not ones, and lets it go once it has ended.
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    restore(original, outcome);
    if (errorCopy) outcome.note(CloseHandle(errorCopy));
    return outcome.result();
}

// The viewer's line is split like the program's, with no length limit of our own. The viewer's
// value is not quoted, so that it may carry arguments of its own.
bool sys::Process::startViewer(const std::string& viewer, const std::string& file) {
    PROCESS_INFORMATION process{};
    if (!startProcess(viewer + " " + asOneWord(file), process)) return false;
    // Only the process is waited for; closing the thread's handle can fail only for no handle.
    CloseHandle(process.hThread);
    id_ = asNative(process.hProcess);
    return true;
}

// With no process, there is nothing to wait for: waiting on none would wait on ourselves.
bool sys::Process::wait() {
    if (id_ == Handle::kNone) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    return WaitForSingleObject(asHandle(id_), INFINITE) != WAIT_FAILED;
}

// A destructor has nobody to report to.
sys::Process::~Process() {
    if (id_ != Handle::kNone) CloseHandle(asHandle(id_));
}
