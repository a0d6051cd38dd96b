#pragma once

#include <string>
#include <vector>

// No Windows header: the command line is built and tested anywhere.
namespace sys {

// The command line that the program's start-up code splits back into exactly these words: args[0]
// with executableSuffix added when it holds no '.', then each argument, one blank between them.
std::string commandLineFor(const std::vector<std::string>& args,
                           const std::string& executableSuffix);

// The word as one word of a command line: quoted when it is empty or holds a blank, a tab or a
// double quote, which is then escaped.
std::string asOneWord(const std::string& word);

}  // namespace sys
