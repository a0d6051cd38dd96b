// How the layer's handles are made: a kind in the low bits and a descriptor or process id above
// them. Zero has no kind and INVALID_HANDLE_VALUE has kind 7, so neither is ever a real handle.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <string>

#include "platform/posix/win32.h"

namespace posix {

enum class HandleKind {
    File = 1,  // a descriptor; end of data reads as success with 0 bytes
    Pipe = 2,  // a pipe end; end of data fails with ERROR_BROKEN_PIPE, as on Windows
    Process = 3,
    Thread = 4,
};

HANDLE makeHandle(HandleKind kind, int id);
HandleKind kindOf(HANDLE handle);
// The descriptor of a file or pipe handle, or -1.
int descriptorOf(HANDLE handle);
// The process id of a process handle, or -1.
pid_t processOf(HANDLE handle);

// Sets the last error and returns FALSE, for the layer's failure paths.
BOOL fail(int error);

// Job control (key_wait.cpp). Counts continues, for the key to be asked for again after one.
void watchContinues();
// Waits until fd holds input, letting signal, blocked otherwise, through meanwhile
// (input_wait.cpp): 0 once there is input; EINTR once a handler has run or has called
// wakeInputWait, which a handler may call whenever; else the poll's error.
int waitForInput(int fd, int signal);
void wakeInputWait();
// Whether the terminal is ours to use: in our foreground, or no controlling terminal's.
bool isOurs(int fd);
// WaitForSingleObject on a console: WAIT_OBJECT_0 once the terminal holds input, WAIT_TIMEOUT.
DWORD waitForConsoleInput(int fd, DWORD milliseconds);

// Message libraries (catalogs.cpp). The text of that id, or null.
const char* textOf(HMODULE library, UINT id);

// The utility's own file, by its absolute path, or empty when it cannot be named (own_file.cpp).
std::string ownFile();

// Languages (languages.cpp). Takes the environment's locale, where it can change a text.
void takeLocale();
// The character set of the locale the texts are shown in, as iconv names it.
std::string localeCharset();

// Processes (process.cpp). Reaps each released process once it has ended.
void watchChildren();
// The process's handle is closed: it is reaped once it has ended, never waited for.
void releaseProcess(pid_t pid);

// Signals (control_handlers.cpp). Handles the signal with flags, unless it is ignored; previous
// gets its action before.
void handleUnlessIgnored(int number, void (*handler)(int), int flags, struct sigaction& previous);
// Whether a console control routine is running: nothing it calls may stop the process.
bool inControlRoutine();
// Blocks or unblocks (how, as sigprocmask takes it) one signal; returns the mask before.
sigset_t maskSignal(int how, int number);

// The standard-handle table's entry for descriptor 0, 1 or 2.
HANDLE standardHandle(int fd);
// Whether SIGPIPE was ignored before the utility ignored it for itself.
bool sigpipeIgnoredAtStart();
// The signal mask the utility was started with, which its children start with too.
const sigset_t& signalMaskAtStart();

}  // namespace posix
