#pragma once

namespace sys {

// What must happen however the utility ends: an ending it can catch (an interrupt at the prompt;
// SIGTERM and SIGHUP, or the console's closing, logoff and shutdown) runs every clean-up added,
// the last added first, then ends the utility as that ending would have.
//
// The contract of a clean-up: it runs inside a signal handler (POSIX) or on a thread of its own
// (Windows), at any point of the program. It may only do async-signal-safe work on state that is
// complete whenever it is added (unlink, tcsetattr, close); it allocates nothing, takes no lock
// and writes no output.
using Cleanup = void (*)();
bool onEnding(Cleanup cleanup);
void noLongerOnEnding(Cleanup cleanup);

// While the program's output flows, and while the viewer runs, the interrupt and quit keys are
// theirs alone, as the shell leaves them to the program it waits for: the utility goes on. The
// program still gets them as it would alone, as nothing of this is inherited.
void leaveInterruptsToOthers(bool leave);

// A program that the interrupt or quit key ended (POSIX: SIGINT, SIGQUIT) ends us the same way,
// once our clean-up is done, so that a shell's loop stops as it would for the program alone; the
// well-known convention of programs that leave the keys to a child. Otherwise this returns.
void endAsTheProgramDid(int signal);

}  // namespace sys
