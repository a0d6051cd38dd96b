#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/command_line_words.h"
#include "platform/posix/handles.h"

extern char** environ;

namespace {
// What posix_spawn needs for one launch, released however the launch ends. Each call returns 0
// or an errno value, as posix_spawn's own calls do.
class Launch {
public:
    // glibc's two init calls only clear the structures: they cannot fail.
    Launch() {
        posix_spawn_file_actions_init(&actions_);
        posix_spawnattr_init(&attributes_);
    }
    ~Launch() {
        for (const int fd : lifted_) {
            if (fd >= 0) close(fd);
        }
        posix_spawnattr_destroy(&attributes_);
        posix_spawn_file_actions_destroy(&actions_);
    }
    Launch(const Launch&) = delete;
    Launch& operator=(const Launch&) = delete;

    // The child starts with the signals as we were given them: the mask we started with, and
    // SIGPIPE at its default unless it was ignored before us. Caught signals fall back to default
    // on their own; ignored ones would survive exec.
    int resetSignals() {
        sigset_t ours;
        sigemptyset(&ours);
        if (!posix::sigpipeIgnoredAtStart()) sigaddset(&ours, SIGPIPE);
        if (const int error = posix_spawnattr_setsigdefault(&attributes_, &ours)) return error;
        if (const int error = posix_spawnattr_setsigmask(&attributes_, &posix::signalMaskAtStart()))
            return error;
        return posix_spawnattr_setflags(&attributes_,
                                        POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }

    // The child's 0, 1 and 2 are the standard-handle table's. Every other inheritable descriptor
    // stays open, but a standard handle reaches the child once, as on Windows: its own number is
    // closed there. Each is first lifted above 2, so that placing one cannot overwrite the source
    // of another.
    int inheritStandardHandles() {
        int sources[3];
        for (int slot = 0; slot < 3; ++slot) {
            sources[slot] = posix::descriptorOf(posix::standardHandle(slot));
            if (const int error = place(sources[slot], slot)) return error;
        }
        for (int slot = 0; slot < 3; ++slot) {
            const bool first = std::find(sources, sources + slot, sources[slot]) == sources + slot;
            if (sources[slot] <= 2 || !first) continue;
            if (const int error = posix_spawn_file_actions_addclose(&actions_, sources[slot]))
                return error;
        }
        return 0;
    }

    int spawn(pid_t* pid, std::vector<char*>& argv) {
        return posix_spawnp(pid, argv[0], &actions_, &attributes_, argv.data(), environ);
    }

private:
    // The child's standard descriptor slot is fd. With none (no pipe could be made), it is
    // /dev/null, as a closed one would be the first file the child opens, and its output would go
    // there; on Windows a missing handle only makes writes fail.
    int place(int fd, int slot) {
        if (fd < 0) {
            return posix_spawn_file_actions_addopen(&actions_, slot, "/dev/null",
                                                    slot == 0 ? O_RDONLY : O_WRONLY, 0);
        }
        lifted_[slot] = fcntl(fd, F_DUPFD_CLOEXEC, 3);
        if (lifted_[slot] < 0) return errno;
        return posix_spawn_file_actions_adddup2(&actions_, lifted_[slot], slot);
    }

    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
    int lifted_[3] = {-1, -1, -1};
};

// Processes whose handles were closed. Each is reaped once it has ended, as Windows frees a
// process that has ended and whose last handle is closed, and none is ever waited for. Only the
// program's handle is closed; the few slots serve anyway, and a process that finds none free is
// left to init.
volatile pid_t released[4];

// Clears the slot of a process reaped now, or by the system (SIGCHLD ignored) before.
void reapReleased(int) {
    const int error = errno;
    for (volatile pid_t& pid : released) {
        if (pid > 0 && waitpid(pid, nullptr, WNOHANG) != 0) pid = 0;
    }
    errno = error;
}
}  // namespace

void posix::watchChildren() {
    struct sigaction previous;
    // Restarting, so that no other call learns of it. Left ignored when it was: the system then
    // reaps every child at once, and the children inherit it ignored.
    handleUnlessIgnored(SIGCHLD, reapReleased, SA_RESTART | SA_NOCLDSTOP, previous);
}

void posix::releaseProcess(pid_t pid) {
    posix::maskSignal(SIG_BLOCK, SIGCHLD);
    for (volatile pid_t& slot : released) {
        if (slot == 0) {
            slot = pid;
            break;
        }
    }
    reapReleased(0);  // it may have ended already
    posix::maskSignal(SIG_UNBLOCK, SIGCHLD);
}

HANDLE GetCurrentProcess() {
    return posix::makeHandle(posix::HandleKind::Process, getpid());
}

DWORD GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}

// The child's environment and directory are always the utility's, it always shares the terminal
// and it always inherits: the program passes no application name, flags, environment or
// directory, and always asks for inheritance.
BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                    LPSECURITY_ATTRIBUTES processAttributes, LPSECURITY_ATTRIBUTES threadAttributes,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                    LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                    LPPROCESS_INFORMATION processInformation) {
    if (applicationName || !commandLine || processAttributes || threadAttributes ||
        !inheritHandles || creationFlags || environment || currentDirectory || !startupInfo ||
        !processInformation) {
        return posix::fail(EINVAL);
    }
    std::vector<std::string> words = posix::splitCommandLine(commandLine);
    if (words.empty()) return posix::fail(ENOENT);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    Launch launch;
    int error = launch.resetSignals();
    if (!error) error = launch.inheritStandardHandles();
    pid_t pid = 0;
    // posix_spawnp reports a program that cannot be found or run before it returns.
    if (!error) error = launch.spawn(&pid, argv);
    if (error) return posix::fail(error);

    const auto id = static_cast<DWORD>(pid);
    *processInformation = {posix::makeHandle(posix::HandleKind::Process, pid),
                           posix::makeHandle(posix::HandleKind::Thread, pid), id, id};
    return TRUE;
}

// A process can be waited for once, without a time limit. One that is no child of ours any more
// has been reaped by the system, as SIGCHLD was ignored: it has ended. A console's input is
// waited for as Windows does: it is signalled while it holds input.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    if (posix::kindOf(handle) == posix::HandleKind::File) {
        return posix::waitForConsoleInput(posix::descriptorOf(handle), milliseconds);
    }
    const pid_t pid = posix::processOf(handle);
    if (pid <= 0 || milliseconds != INFINITE) {
        posix::fail(EINVAL);
        return WAIT_FAILED;
    }
    pid_t waited;
    do waited = waitpid(pid, nullptr, 0);
    while (waited < 0 && errno == EINTR);
    return waited == pid || errno == ECHILD ? WAIT_OBJECT_0 : WAIT_FAILED;
}
