#pragma once

#include <string>

// The log's path for a process: "Tarvix<pid>.log" in the directory named by the first
// temporary-directory variable present (even when empty), else in the current directory.
// The directory is joined as it stands, never normalised.
std::string logPathFor(unsigned long processId);
