#pragma once

#include "capture/log_file.h"

// Opens the log in the viewer and waits until the viewer ends; with no log, does nothing.
void viewLog(const LogFile& log);
