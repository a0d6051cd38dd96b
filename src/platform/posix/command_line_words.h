#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace posix {

// Splits a command line into words as the start-up code of Windows programs does: blanks and
// tabs separate words, double quotes group them, and backslashes are literal except before a
// double quote. The first word is the program's name, where only quotes count.
std::vector<std::string> splitCommandLine(std::string_view line);

}  // namespace posix
