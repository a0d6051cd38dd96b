#include "system/platform.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>

#include "system/posix/posix.h"

namespace sys {

const char* const kHelpOptions[] = {"--help", nullptr};
// VISUAL, as for every program that starts an editor here.
const char* const kViewerVariables[] = {"RIVEZEVEVIVA", "VISUAL", "EDITOR", nullptr};
// The editor POSIX guarantees.
const char kDefaultViewer[] = "vi";

namespace {
sigset_t maskAtStart;
bool sigpipeIgnored = false;
}  // namespace

const sigset_t& posix::signalMaskAtStart() {
    return maskAtStart;
}

bool posix::sigpipeIgnoredAtStart() {
    return sigpipeIgnored;
}

// The lowest free number is the one that is closed, as every lower one is open by now. Left
// free, it would be the log's, and our own output would go into the log: then we do not run.
// Neither signal call fails: sigprocmask only reads, and signal fails only for a signal number
// that is not valid or cannot be caught.
void prepareProcess() {
    for (int fd = 0; fd < 3; ++fd) {
        if (fcntl(fd, F_GETFD) < 0 && open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd)
            _exit(1);
    }
    sigprocmask(SIG_SETMASK, nullptr, &maskAtStart);
    sigpipeIgnored = signal(SIGPIPE, SIG_IGN) == SIG_IGN;
    posix::watchEndings();
    posix::watchContinues();
    posix::watchChildren();
    posix::takeLocale();
}

Family platformFamily() {
    return Family::Supported;
}

// There is no desktop to show a box on.
void showError(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

}  // namespace sys
