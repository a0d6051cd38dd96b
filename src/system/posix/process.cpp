#include "system/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "system/posix/posix.h"

extern char** environ;

namespace sys {

volatile sig_atomic_t posix::programEnded = 0;

namespace {
// The program, once started, until it is reaped, and how it ended.
volatile pid_t program = 0;
volatile sig_atomic_t programStatus = 0;

// Restarting, so that no other call learns of it. Only the program is reaped here, as soon as it
// has ended, so that an interrupt can tell that it has (pipe.cpp): the viewer is waited for.
void reapProgram(int) {
    const int error = errno;
    int status = 0;
    if (program > 0 && waitpid(program, &status, WNOHANG) == program) {
        programStatus = status;
        posix::programEnded = 1;
        program = 0;
    }
    errno = error;
}

ProgramEnd endFrom(int status) {
    if (WIFSIGNALED(status)) return {128 + WTERMSIG(status), WTERMSIG(status)};
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 0, 0};
}

// The signals as we were given them: our starting mask, SIGPIPE at its default unless it was
// ignored before us. Each step returns 0 or an errno value, as posix_spawn's own calls do.
int resetSignals(posix_spawnattr_t& attributes) {
    sigset_t defaults;
    sigemptyset(&defaults);
    if (!posix::sigpipeIgnoredAtStart) sigaddset(&defaults, SIGPIPE);
    if (const int error = posix_spawnattr_setsigdefault(&attributes, &defaults)) return error;
    if (const int error = posix_spawnattr_setsigmask(&attributes, &posix::signalMaskAtStart))
        return error;
    return posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
}

// The pipe's write end, close-on-exec as everything of ours is; with none, /dev/null, since a
// closed one would be the first file the program opens.
int sendOutput(posix_spawn_file_actions_t& actions, const Handle& output) {
    for (const int slot : {1, 2}) {
        const int error =
            output ? posix_spawn_file_actions_adddup2(&actions, int(output.get()), slot)
                   : posix_spawn_file_actions_addopen(&actions, slot, "/dev/null", O_WRONLY, 0);
        if (error) return error;
    }
    return 0;
}

// posix_spawnp reports a program that cannot be found or run before it returns. Both init calls
// only clear the structures.
bool spawn(const std::vector<std::string>& args, const Handle* output, pid_t& pid) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    int error = resetSignals(attributes);
    if (!error && output) error = sendOutput(actions, *output);
    if (!error) error = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    errno = error;
    return error == 0;
}

}  // namespace

std::string posix::programFile(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    const char* variable = std::getenv("PATH");
    const std::string path = variable ? variable : "/bin:/usr/bin";
    for (std::size_t start = 0, end; start <= path.size(); start = end + 1) {
        end = std::min(path.find(':', start), path.size());
        const std::string folder = end > start ? path.substr(start, end - start) : ".";
        const std::string file = folder + "/" + name;
        struct stat about {};
        if (stat(file.c_str(), &about) == 0 && S_ISREG(about.st_mode) &&
            access(file.c_str(), X_OK) == 0)
            return file;
    }
    return {};
}

namespace {
// A file that the system cannot run (a script without "#!") is run by /bin/sh, as execvp, env and
// the shells run one.
bool spawnProgram(const std::vector<std::string>& args, const Handle& output, pid_t& pid) {
    if (spawn(args, &output, pid)) return true;
    if (errno != ENOEXEC) return false;
    const std::string file = posix::programFile(args[0]);
    if (file.empty()) {
        errno = ENOEXEC;
        return false;
    }
    std::vector<std::string> shell = {"/bin/sh", file};
    shell.insert(shell.end(), args.begin() + 1, args.end());
    return spawn(shell, &output, pid);
}

// A value with none of the shell's special characters names a program, found on PATH, as git
// runs an editor; any other is a command line for the shell.
bool isCommandLine(const std::string& value) {
    return value.find_first_of("|&;<>()$`\\\"' \t\n*?[#~=%") != std::string::npos;
}
}  // namespace

void posix::watchChildren() {
    handleUnlessIgnored(SIGCHLD, reapProgram, SA_RESTART | SA_NOCLDSTOP);
}

bool startProgram(const std::vector<std::string>& args, const Handle& output) {
    pid_t pid = 0;
    const sigset_t before = posix::maskSignal(SIG_BLOCK, SIGCHLD);
    const bool started = spawnProgram(args, output, pid);
    const int error = errno;
    if (started) program = pid;
    sigprocmask(SIG_SETMASK, &before, nullptr);
    errno = error;
    return started;
}

ProgramEnd notStarted(long error) {
    return {error == ENOENT || error == ENOTDIR ? 127 : 126, 0};
}

// With SIGCHLD blocked, the reaper cannot take the program between the look and the wait. One
// that is no child of ours any more was reaped by the system (SIGCHLD ignored when we started):
// how it ended is not known.
ProgramEnd waitForProgram() {
    const sigset_t before = posix::maskSignal(SIG_BLOCK, SIGCHLD);
    int status = programStatus;
    if (!posix::programEnded && program > 0) {
        while (waitpid(program, &status, 0) < 0 && errno == EINTR) continue;
        program = 0;
    }
    sigprocmask(SIG_SETMASK, &before, nullptr);
    return endFrom(status);
}

Process::~Process() = default;

// The log's path is one argument that is never parsed, whatever it holds.
bool Process::startViewer(const std::string& viewer, const std::string& file) {
    const std::vector<std::string> args =
        isCommandLine(viewer)
            ? std::vector<std::string>{"/bin/sh", "-c", viewer + " \"$@\"", viewer, file}
            : std::vector<std::string>{viewer, file};
    pid_t pid = 0;
    if (!spawn(args, nullptr, pid)) return false;
    id_ = pid;
    return true;
}

// One that is no child of ours any more has been reaped by the system, as SIGCHLD was ignored
// when we started: it has ended.
bool Process::wait() {
    const auto pid = static_cast<pid_t>(id_);
    pid_t waited;
    while ((waited = waitpid(pid, nullptr, 0)) < 0 && errno == EINTR) continue;
    return waited == pid || errno == ECHILD;
}

}  // namespace sys
