#pragma once

#include <string>

#include "platform/platform.h"

// Starts a process on the command line, with the utility's environment, directory and console,
// inheriting its inheritable handles: its standard handles are the child's. Process creation gets
// a writable copy of the line, sized to it. A failure is reported as "CreateProcess"; returns
// whether the process started.
bool startProcess(std::string commandLine, PROCESS_INFORMATION& process);
