// What the POSIX side's files share among themselves, below the seams.
#pragma once

#include <signal.h>

#include <string>

namespace sys::posix {

// Handles the signal, restarting what it interrupts unless flags say otherwise, unless it is
// ignored: a signal ignored when we started (nohup, a shell's background job) stays so, for us
// and, across exec, for the program.
void handleUnlessIgnored(int number, void (*handler)(int), int flags);
// Blocks or unblocks (how, as sigprocmask takes it) one signal; returns the mask before.
sigset_t maskSignal(int how, int number);

// What the program starts with: the signal mask we were given, and SIGPIPE at its default unless
// it was ignored before us: set once, by prepareProcess (platform.cpp).
extern sigset_t signalMaskAtStart;
extern bool sigpipeIgnoredAtStart;

// Set by the handlers: once the program has ended (process.cpp), and once an interrupt or quit key
// has come while they were left to others (ending.cpp).
extern volatile sig_atomic_t programEnded;
extern volatile sig_atomic_t interrupted;

// The file execvp would run for the name: itself when it holds a '/', else the first executable
// file of that name in PATH's folders (an empty one is the current folder). Empty if none.
std::string programFile(const std::string& name);  // process.cpp

void watchEndings();    // ending.cpp
void watchContinues();  // terminal.cpp
void watchChildren();   // process.cpp
void takeLocale();      // texts.cpp

}  // namespace sys::posix
