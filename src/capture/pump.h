#pragma once

#include "platform/platform.h"

// Copies the pipe into the log (when there is one) and onto standard output, chunk by chunk as it
// comes, until every writer is gone or nobody reads the echo any more.
void copyPipe(HANDLE pipe, HANDLE log);
