#pragma once

#include <string>

// The child's command line: the target, with executableSuffix added when it holds no '.', then
// each argument as it came, every element followed by one blank. Nothing is quoted.
std::string commandLineFor(int count, const char* const* args, const char* executableSuffix);
