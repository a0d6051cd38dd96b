#pragma once

#include <string>

#include "platform/platform.h"

// How the run meets the console's control events (on POSIX, signals).

// From the log's creation to the end of the run, an ending that reaches the utility (an interrupt
// at the prompt, the console's close, logoff or shutdown; SIGTERM, SIGHUP) deletes the log, then
// lets the utility end as it would: only a kill that cannot be caught leaves the log behind. Both
// are the run's own, and outlive the watch: logFile is null once closed.
void deleteLogOnEnding(const HANDLE& logFile, const std::string& logPath);
void stopDeletingLogOnEnding();

// While the program's output flows, and while the viewer runs, the interrupt and quit keys are
// theirs alone, as the shell leaves them to the program it waits for: the utility goes on. The
// program still gets them, as nothing of this is inherited.
void leaveInterruptsToOthers();
void takeInterruptsBack();
