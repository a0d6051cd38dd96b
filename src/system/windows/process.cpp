#include "system/process.h"

#include <algorithm>
#include <cstdlib>

#include "system/windows/command_line.h"
#include "system/windows/win32.h"

namespace {
// What cmd tries when PATHEXT is not set.
constexpr char kDefaultExtensions[] = ".COM;.EXE;.BAT;.CMD";
constexpr DWORD kOutputs[] = {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};

// Whether the file is where process creation looks for a program: the utility's folder, the
// current one, the system's and PATH. Not finding it is an answer, not a failure.
bool found(const std::string& file) {
    char path[MAX_PATH];
    char* name;
    return SearchPathA(nullptr, file.c_str(), nullptr, MAX_PATH, path, &name) > 0;
}

// Process creation adds only ".exe" to a name without an extension; where there is no such
// program, cmd takes the first of PATHEXT's extensions that names one (build.cmd for build).
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

// The child gets our standard handles and every inheritable handle of ours.
BOOL startProcess(std::string line, PROCESS_INFORMATION& process) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &process);
}

// Our standard output and error become the program's while it starts, and ours are not inherited
// meanwhile: Windows passes on every inheritable handle, and whatever the program left running
// would hold open a pipeline we were given. SetHandleInformation's failures do not count: Windows
// 95 does not implement it, and a console's handles before Windows 8 are no pipe to hold open.
void redirect(const HANDLE (&to)[2], HANDLE (&original)[2], sys::FirstFailure& outcome) {
    for (int i : {0, 1}) original[i] = GetStdHandle(kOutputs[i]);
    for (const HANDLE handle : original) outcome.note(handle != INVALID_HANDLE_VALUE);
    for (int i : {0, 1}) outcome.note(SetStdHandle(kOutputs[i], to[i]));
    for (const HANDLE handle : original) SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
}

void restore(const HANDLE (&original)[2], sys::FirstFailure& outcome) {
    for (const HANDLE handle : original) {
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    }
    for (int i : {0, 1}) outcome.note(SetStdHandle(kOutputs[i], original[i]));
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

// With no pipe the program's standard output and error are none, and its writes go nowhere. Once
// it has its copies, ours of its standard error is closed, as the caller closes the write end, so
// that the pipe ends when the program's do. A line too long fails in process creation.
bool sys::startProgram(const std::vector<std::string>& args, const Handle& output) {
    const std::string line = commandLineFor(args, executableSuffix(args[0]));
    FirstFailure outcome;
    const HANDLE write = output ? asHandle(output.get()) : nullptr;
    const HANDLE errorCopy = errorCopyOf(write, outcome);
    HANDLE original[2];
    redirect({write, errorCopy}, original, outcome);
    PROCESS_INFORMATION child{};
    if (outcome.note(startProcess(line, child))) {
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
    if (id_ == Handle::kNone) return failWith(ERROR_INVALID_HANDLE);
    return WaitForSingleObject(asHandle(id_), INFINITE) != WAIT_FAILED;
}

// A destructor has nobody to report to.
sys::Process::~Process() {
    if (id_ != Handle::kNone) CloseHandle(asHandle(id_));
}
