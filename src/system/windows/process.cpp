#include "system/process.h"

#include <cstdlib>

#include "system/windows/command_line.h"
#include "system/windows/program_search.h"
#include "system/windows/win32.h"

namespace {
constexpr DWORD kOutputs[] = {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};

// The program, once started, until it is waited for.
HANDLE program = nullptr;

// What process creation starts: the file (empty: the one the line's first word names) and the
// line.
struct Start {
    std::string application;
    std::string line;
};

// Not finding a file is an answer, not a failure.
bool isFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A current folder too long to name is left to the system, which names relative paths from it.
std::string found(const std::string& name) {
    char folder[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
    const std::string current = length > 0 && length < MAX_PATH ? folder : "";
    return sys::findProgram(name, current, variable("PATH"), variable("PATHEXT"), isFile);
}

// A batch file is run by cmd from the system's own folder, never by one found elsewhere; Windows
// 95's family has no cmd, and its command.com no quotes that protect a word: there only arguments
// that need none pass. An argument that cannot pass is refused, and nothing runs.
bool batchStart(const std::string& script, const std::string& words,
                const std::vector<std::string>& args, Start& start) {
    if (GetVersion() & 0x80000000) {
        start.line = '"' + script + '"' + words;
        for (const std::string& argument : args) {
            if (sys::forBatch(argument) != argument) return sys::failWith(ERROR_INVALID_PARAMETER);
            start.line += ' ' + argument;
        }
        return true;
    }
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    start.application = std::string(folder, length) + "\\cmd.exe";
    return sys::batchCommandLine(script, words, args, start.line) ||
           sys::failWith(ERROR_INVALID_PARAMETER);
}

// Found as cmd finds it, started by its full path; a name that names nothing is left to process
// creation, which adds ".exe" to one without a '.' and says what it could not find.
bool programStart(const std::vector<std::string>& args, Start& start) {
    const std::string program = found(args[0]);
    if (program.empty()) {
        start.line = sys::commandLineFor(args, ".exe");
        return true;
    }
    const std::vector<std::string> arguments(args.begin() + 1, args.end());
    if (sys::isBatchFile(program)) return batchStart(program, "", arguments, start);
    start.application = program;
    start.line = sys::commandLineFor(args, "");
    return true;
}

// The child gets our standard handles and every inheritable handle of ours.
BOOL startProcess(Start start, PROCESS_INFORMATION& process) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    const char* application = start.application.empty() ? nullptr : start.application.c_str();
    return CreateProcessA(application, &start.line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &process);
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
    Start start;
    if (!programStart(args, start)) return false;
    FirstFailure outcome;
    const HANDLE write = output ? asHandle(output.get()) : nullptr;
    const HANDLE errorCopy = errorCopyOf(write, outcome);
    HANDLE original[2];
    redirect({write, errorCopy}, original, outcome);
    PROCESS_INFORMATION child{};
    if (outcome.note(startProcess(start, child))) {
        // Only the process is waited for; closing the thread's handle can fail only for no handle.
        CloseHandle(child.hThread);
        program = child.hProcess;
    }
    restore(original, outcome);
    if (errorCopy) outcome.note(CloseHandle(errorCopy));
    return outcome.result();
}

sys::ProgramEnd sys::notStarted(long error) {
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                         error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME;
    return {missing ? 127 : 126, 0};
}

bool sys::programHasEnded() {
    return program && WaitForSingleObject(program, 0) == WAIT_OBJECT_0;
}

// Its exit code whole, as cmd's %ERRORLEVEL% has it. A wait or query that fails leaves 0.
sys::ProgramEnd sys::waitForProgram() {
    DWORD code = 0;
    if (program && WaitForSingleObject(program, INFINITE) != WAIT_FAILED)
        GetExitCodeProcess(program, &code);
    if (program) CloseHandle(program);
    program = nullptr;
    return {static_cast<int>(code), 0};
}

// The value's first word (in quotes, or up to the first blank) is found as a program is, never
// guessed at, and started by its full path: not found, it is reported and nothing runs. The rest
// of the value are the viewer's own words, as they stand.
bool sys::Process::startViewer(const std::string& viewer, const std::string& file) {
    const bool quoted = !viewer.empty() && viewer[0] == '"';
    const std::size_t end = quoted ? viewer.find('"', 1) : viewer.find_first_of(" \t");
    const std::string first = viewer.substr(quoted, end == std::string::npos ? end : end - quoted);
    const std::string words = end == std::string::npos ? "" : viewer.substr(end + quoted);
    const std::string program = found(first);
    if (program.empty()) return failWith(ERROR_FILE_NOT_FOUND);
    Start start{program, '"' + program + '"' + words + ' ' + asOneWord(file)};
    if (isBatchFile(program) && !batchStart(program, words, {file}, start)) return false;
    PROCESS_INFORMATION process{};
    if (!startProcess(start, process)) return false;
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
