// The terminal, and job control's part in reading a key, which Windows lacks. While the key mode
// is set, the stop key is held back but while the key is awaited; then the terminal is put back
// and we stop. A continue asks again: what the prompt showed may have scrolled away.
#include "system/terminal.h"

#include <poll.h>
#include <sys/select.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "system/ending.h"
#include "system/posix/posix.h"

namespace sys {

namespace {
// As editors wait for the rest of an escape sequence.
constexpr int kRestOfKeyMilliseconds = 100;

// Set by handlers. While the key mode is set, SIGTSTP and SIGCONT are blocked but in the wait
// for the key, which they end: none is taken between a look at these and the wait.
volatile sig_atomic_t continues = 0;
volatile sig_atomic_t stopAsked = 0;
// The settings before the key mode, for an ending to put back; complete before it is added.
termios beforeKeyMode;
struct sigaction actionBeforeStop;

void onContinue(int) {
    continues = continues + 1;
}

void onStopKey(int) {
    stopAsked = 1;
}

// A terminal that is not our controlling one has no foreground of ours.
bool isOurs() {
    const pid_t foreground = tcgetpgrp(0);
    return foreground < 0 || foreground == getpgrp();
}

// Only while the terminal is ours (in the background the shell has put it back its own way), with
// SIGTTOU blocked, so that a shell taking it meanwhile cannot stop us halfway. Signal-safe.
bool setWhileOurs(const termios& settings) {
    const sigset_t before = posix::maskSignal(SIG_BLOCK, SIGTTOU);
    const bool set = !isOurs() || tcsetattr(0, TCSANOW, &settings) == 0;
    const int error = errno;
    sigprocmask(SIG_SETMASK, &before, nullptr);
    errno = error;
    return set;
}

void putBackOnEnding() {
    setWhileOurs(beforeKeyMode);
}

// What was typed is the foreground's.
void discardTyped() {
    if (isOurs()) tcflush(0, TCIFLUSH);
}

// Whether the input holds a key, letting SIGTSTP and SIGCONT through only during the wait; false
// once a handler has run. When it cannot wait, the read that follows says why.
bool awaitInput(int milliseconds) {
    fd_set input;
    FD_ZERO(&input);
    FD_SET(0, &input);
    const timespec limit{milliseconds / 1000, milliseconds % 1000 * 1000000L};
    sigset_t during;
    sigprocmask(SIG_SETMASK, nullptr, &during);
    sigdelset(&during, SIGTSTP);
    sigdelset(&during, SIGCONT);
    const int ready =
        pselect(1, &input, nullptr, nullptr, milliseconds < 0 ? nullptr : &limit, &during);
    return ready > 0 || (ready < 0 && errno != EINTR);
}

// One byte as it comes, from input that another program may have made non-blocking; none at its
// end.
KeyRead readByte(char& key) {
    key = '\0';
    pollfd input{0, POLLIN, 0};
    while (read(0, &key, 1) < 0) {
        const bool wait = errno == EAGAIN || errno == EWOULDBLOCK;
        if (errno != EINTR && !(wait && (poll(&input, 1, -1) >= 0 || errno == EINTR)))
            return KeyRead::Failed;
    }
    return KeyRead::Key;
}

// The rest of an escape sequence, or of a character of several bytes, comes a little after its
// first byte over a slow link: what comes within a short while is discarded too.
void discardRestOf(char key) {
    discardTyped();
    const auto byte = static_cast<unsigned char>(key);
    if (byte != 0x1B && byte < 0xC0) return;
    while (awaitInput(kRestOfKeyMilliseconds)) discardTyped();
}

void holdStops() {
    stopAsked = 0;
    struct sigaction action {};
    action.sa_handler = onStopKey;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTSTP, nullptr, &actionBeforeStop);
    if (actionBeforeStop.sa_handler != SIG_IGN) sigaction(SIGTSTP, &action, nullptr);
    posix::maskSignal(SIG_BLOCK, SIGTSTP);
    posix::maskSignal(SIG_BLOCK, SIGCONT);
}

void releaseStops() {
    sigaction(SIGTSTP, &actionBeforeStop, nullptr);
    posix::maskSignal(SIG_UNBLOCK, SIGTSTP);
    posix::maskSignal(SIG_UNBLOCK, SIGCONT);
}
}  // namespace

// Not when we cannot be stopped (an orphaned group, an ignored signal): the terminal's calls
// then do nothing.
void stopUntilForeground() {
    for (sig_atomic_t before = continues; !isOurs(); before = continues) {
        kill(0, SIGTTOU);  // a signal to ourselves is taken before kill returns
        if (continues == before) return;
    }
}

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

// What was typed before goes first, so that a key typed as soon as the mode allows it is kept.
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
    return onEnding(putBackOnEnding) && setWhileOurs(keyMode);
}

KeyRead Keyboard::readKey(char& key) {
    if (!terminal_) return readByte(key);
    while (!stopAsked && continues == continuesSeen_) {
        if (!awaitInput(-1)) continue;
        const KeyRead read = readByte(key);
        discardRestOf(key);
        return read;
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
