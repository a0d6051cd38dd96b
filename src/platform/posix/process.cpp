#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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

    // The child starts as a freshly run program would: default dispositions, nothing blocked.
    // Without this it would keep the utility's ignored SIGPIPE, as ignored signals survive exec.
    int resetSignals() {
        sigset_t all;
        sigset_t none;
        sigfillset(&all);
        sigemptyset(&none);
        if (const int error = posix_spawnattr_setsigdefault(&attributes_, &all)) return error;
        if (const int error = posix_spawnattr_setsigmask(&attributes_, &none)) return error;
        return posix_spawnattr_setflags(&attributes_,
                                        POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }

    // Inheritance on: the child's 0, 1 and 2 are the standard-handle table's, and every
    // inheritable descriptor stays open. Each is first lifted above 2, so that placing one cannot
    // overwrite the source of another.
    int inheritStandardHandles() {
        for (int slot = 0; slot < 3; ++slot) {
            const int fd = posix::descriptorOf(GetStdHandle(STD_INPUT_HANDLE - slot));
            if (fd < 0) {
                if (const int error = posix_spawn_file_actions_addclose(&actions_, slot))
                    return error;
                continue;
            }
            lifted_[slot] = fcntl(fd, F_DUPFD_CLOEXEC, 3);
            if (lifted_[slot] < 0) return errno;
            if (const int error =
                    posix_spawn_file_actions_adddup2(&actions_, lifted_[slot], slot)) {
                return error;
            }
        }
        return 0;
    }

    // Inheritance off: the child gets the utility's own 0, 1 and 2 and nothing else.
    int inheritNothing() { return posix_spawn_file_actions_addclosefrom_np(&actions_, 3); }

    int spawn(pid_t* pid, std::vector<char*>& argv) {
        return posix_spawnp(pid, argv[0], &actions_, &attributes_, argv.data(), environ);
    }

private:
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
    int lifted_[3] = {-1, -1, -1};
};
}  // namespace

HANDLE GetCurrentProcess() {
    return posix::makeHandle(posix::HandleKind::Process, getpid());
}

DWORD GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}

// The child's environment and directory are always the utility's, and it always shares the
// terminal: the program passes no application name, flags, environment or directory.
BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                    LPSECURITY_ATTRIBUTES processAttributes, LPSECURITY_ATTRIBUTES threadAttributes,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                    LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                    LPPROCESS_INFORMATION processInformation) {
    if (applicationName || !commandLine || processAttributes || threadAttributes || creationFlags ||
        environment || currentDirectory || !startupInfo || !processInformation) {
        return posix::fail(EINVAL);
    }
    std::vector<std::string> words = posix::splitCommandLine(commandLine);
    if (words.empty()) return posix::fail(ENOENT);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    Launch launch;
    int error = launch.resetSignals();
    if (!error) error = inheritHandles ? launch.inheritStandardHandles() : launch.inheritNothing();
    pid_t pid = 0;
    // posix_spawnp reports a program that cannot be found or run before it returns.
    if (!error) error = launch.spawn(&pid, argv);
    if (error) return posix::fail(error);

    const auto id = static_cast<DWORD>(pid);
    *processInformation = {posix::makeHandle(posix::HandleKind::Process, pid),
                           posix::makeHandle(posix::HandleKind::Thread, pid), id, id};
    return TRUE;
}

// Only waiting without a time limit is supported, and a process can be waited for once.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    const pid_t pid = posix::processOf(handle);
    if (pid <= 0 || milliseconds != INFINITE) {
        posix::fail(EINVAL);
        return WAIT_FAILED;
    }
    pid_t waited;
    do waited = waitpid(pid, nullptr, 0);
    while (waited < 0 && errno == EINTR);
    return waited == pid ? WAIT_OBJECT_0 : WAIT_FAILED;
}

namespace platform {
void prepareProcess() {
    for (int fd = 0; fd < 3; ++fd) {
        // The lowest free number is this one, as every lower one is open by now.
        if (fcntl(fd, F_GETFD) < 0) open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    }
    signal(SIGPIPE, SIG_IGN);
}
}  // namespace platform
