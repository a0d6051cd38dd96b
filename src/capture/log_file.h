#pragma once

#include <functional>
#include <string>

// Looks an environment variable up: its value, or null when it is not present.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// The log's path for a process: "Tarvix<pid>.log" in the directory named by the first
// temporary-directory variable present (even when empty), else in the platform's default place.
// The directory is joined as it stands, never normalised.
std::string logPathFor(unsigned long processId, const EnvironmentLookup& variable);
