// The terminal, and job control's part in reading a key, which Windows lacks. A terminal is its
// foreground's: from the background we stop as the system stops any program that changes the
// terminal (SIGTTOU), again after a continue that leaves us there (bg), until we are in the
// foreground. While the key mode is set, the stop key's SIGTSTP is held back but while the key is
// awaited; then the terminal is put back as it was and we stop. A continue since the prompt was
// shown asks for it again: what it showed may have scrolled away, and a key typed since may have
// been another's.
#include "system/terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "system/ending.h"
#include "system/posix/posix.h"

namespace sys {

namespace {
// How long the rest of a key may take to follow its first byte, as editors wait for the rest of
// an escape sequence.
constexpr int kRestOfKeyMilliseconds = 100;

// Set by handlers: continues so far, and whether the stop key came while a key was awaited. A
// handler also wakes the wait through a pipe of our own, so that a signal taken between its
// unblocking and the poll still ends the wait rather than being missed until a key comes.
volatile sig_atomic_t continues = 0;
volatile sig_atomic_t stopAsked = 0;
int wakeEnds[2] = {-1, -1};
// The settings before the key mode, for an ending to put back; complete before it is added.
termios beforeKeyMode;
struct sigaction actionBeforeStop;

void wake() {
    const int error = errno;
    if (wakeEnds[1] >= 0 && write(wakeEnds[1], "", 1) < 0) {
        // A full pipe holds a wake already.
    }
    errno = error;
}

void onContinue(int) {
    continues = continues + 1;
    wake();
}

void onStopKey(int) {
    stopAsked = 1;
    wake();
}

// A terminal that is not our controlling one has no foreground of ours.
bool isOurs(int fd) {
    const pid_t foreground = tcgetpgrp(fd);
    return foreground < 0 || foreground == getpgrp();
}

// Only while the terminal is ours, with SIGTTOU blocked, so that a shell that takes it between
// the question and the change cannot stop us halfway: in the background the shell has put the
// terminal back its own way. Safe in a signal handler.
bool setWhileOurs(const termios& settings) {
    sigset_t ttou;
    sigset_t before;
    sigemptyset(&ttou);
    sigaddset(&ttou, SIGTTOU);
    sigprocmask(SIG_BLOCK, &ttou, &before);
    const bool set = !isOurs(0) || tcsetattr(0, TCSANOW, &settings) == 0;
    const int error = errno;
    sigprocmask(SIG_SETMASK, &before, nullptr);
    errno = error;
    return set;
}

void putBackOnEnding() {
    setWhileOurs(beforeKeyMode);
}

// What was typed is the foreground's: discarded only while the terminal is ours.
void discardTyped() {
    if (isOurs(0)) tcflush(0, TCIFLUSH);
}

// Stops our process group until the terminal is ours, as the system would; not when it cannot be
// stopped (an orphaned group, an ignored signal): the terminal's calls then do nothing.
void stopUntilForeground() {
    while (!isOurs(0)) {
        const sig_atomic_t before = continues;
        kill(0, SIGTTOU);  // a signal to ourselves is taken before kill returns
        if (continues == before) return;
    }
}

// Made at the first wait, not at start, where a descriptor can be scarce.
bool haveWakePipe() {
    if (wakeEnds[0] >= 0) return true;
    int ends[2];
    if (pipe(ends) != 0) return false;
    for (const int end : ends) {
        if (fcntl(end, F_SETFD, FD_CLOEXEC) != 0 || fcntl(end, F_SETFL, O_NONBLOCK) != 0) {
            const int error = errno;
            close(ends[0]);
            close(ends[1]);
            errno = error;
            return false;
        }
    }
    wakeEnds[0] = ends[0];
    wakeEnds[1] = ends[1];
    return true;
}

// Until fd holds input (true), letting SIGTSTP through meanwhile; false once a handler has woken
// the wait, or when it cannot wait (the read that follows then says why).
bool awaitInput(int fd, int milliseconds) {
    pollfd waits[] = {{fd, POLLIN, 0}, {-1, POLLIN, 0}};
    if (haveWakePipe()) waits[1].fd = wakeEnds[0];
    const sigset_t before = posix::maskSignal(SIG_UNBLOCK, SIGTSTP);
    const int ready = poll(waits, 2, milliseconds);
    const int error = errno;
    sigprocmask(SIG_SETMASK, &before, nullptr);
    if (ready < 0) return error != EINTR;  // a handler ran, and woke the pipe too
    if (!waits[1].revents) return ready > 0;
    char bytes[16];
    while (read(wakeEnds[0], bytes, sizeof bytes) > 0) continue;
    return false;
}

// One byte as it comes, from input that another program may have made non-blocking; none at its
// end.
KeyRead readByte(char& key) {
    key = '\0';
    for (;;) {
        const ssize_t count = read(0, &key, 1);
        if (count >= 0) return KeyRead::Key;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            pollfd input{0, POLLIN, 0};
            if (poll(&input, 1, -1) >= 0 || errno == EINTR) continue;
        }
        if (errno != EINTR) return KeyRead::Failed;
    }
}

// An escape sequence, or a character of several bytes: over a slow link the rest comes a little
// after its first byte, and what comes within a short while is discarded too.
void discardRestOf(char key) {
    discardTyped();
    const auto byte = static_cast<unsigned char>(key);
    if (byte != 0x1B && byte < 0xC0) return;
    while (awaitInput(0, kRestOfKeyMilliseconds)) discardTyped();
}

// The stop key's SIGTSTP is held back while the key mode is set, so that no stop finds the
// terminal changed; the wait for the key lets it through.
void holdStops() {
    stopAsked = 0;
    struct sigaction action {};
    action.sa_handler = onStopKey;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTSTP, nullptr, &actionBeforeStop);
    if (actionBeforeStop.sa_handler != SIG_IGN) sigaction(SIGTSTP, &action, nullptr);
    posix::maskSignal(SIG_BLOCK, SIGTSTP);
}

void releaseStops() {
    sigaction(SIGTSTP, &actionBeforeStop, nullptr);
    posix::maskSignal(SIG_UNBLOCK, SIGTSTP);
}
}  // namespace

void posix::watchContinues() {
    handleUnlessIgnored(SIGCONT, onContinue, SA_RESTART);
}

Handle::Native standardOutput() {
    return 1;
}

Handle::Native standardError() {
    return 2;
}

bool isTerminal(Handle::Native handle) {
    return isatty(static_cast<int>(handle));
}

bool inputIsAnotherSessions() {
    return isatty(0) && tcgetsid(0) != getsid(0);
}

bool consoleIsOursAlone() {
    return false;
}

Keyboard::Keyboard() : input_(0), continuesSeen_(continues) {}

Keyboard::~Keyboard() {
    if (changed_) restoreMode();
}

bool Keyboard::found() const {
    return true;
}

bool Keyboard::saveMode() {
    terminal_ = tcgetattr(0, &beforeKeyMode) == 0;
    return terminal_;
}

// Line input and echo off; a read returns as soon as one byte has come. What was typed before
// goes first, so that a key typed as soon as the mode allows it is kept.
bool Keyboard::setKeyMode() {
    if (!terminal_) return errno = ENOTTY, false;
    stopUntilForeground();
    holdStops();
    discardTyped();
    termios keyMode = beforeKeyMode;
    keyMode.c_lflag &= ~(ICANON | ECHO);
    keyMode.c_cc[VMIN] = 1;
    keyMode.c_cc[VTIME] = 0;
    changed_ = true;
    if (!onEnding(putBackOnEnding)) return false;
    return setWhileOurs(keyMode);
}

KeyRead Keyboard::readKey(char& key) {
    if (!terminal_) return readByte(key);
    while (!stopAsked && continues == continuesSeen_) {
        if (awaitInput(0, -1)) {
            const KeyRead read = readByte(key);
            discardRestOf(key);
            return read;
        }
    }
    const bool stop = stopAsked;
    restoreMode();
    if (stop) raise(SIGTSTP);  // the stop the key asked for, now at its default
    continuesSeen_ = continues;
    return KeyRead::Stopped;
}

bool Keyboard::restoreMode() {
    if (!terminal_) return errno = ENOTTY, false;
    if (!changed_) return true;
    changed_ = false;
    const bool restored = setWhileOurs(beforeKeyMode);
    const int error = errno;
    noLongerOnEnding(putBackOnEnding);
    releaseStops();
    errno = error;
    return restored;
}

}  // namespace sys
