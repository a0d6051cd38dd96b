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

sigset_t posix::signalMaskAtStart;
bool posix::sigpipeIgnoredAtStart = false;

// A closed standard descriptor left free would be the log's, and our output would go into the
// log. Neither signal call fails: sigprocmask only reads, and these numbers are valid.
void prepareProcess() {
    for (int fd = 0; fd < 3; ++fd) {
        if (fcntl(fd, F_GETFD) < 0 && open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd)
            _exit(1);
    }
    sigprocmask(SIG_SETMASK, nullptr, &posix::signalMaskAtStart);
    posix::sigpipeIgnoredAtStart = signal(SIGPIPE, SIG_IGN) == SIG_IGN;
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
