#pragma once

#include <string>

// The child's command line: the target, with executableSuffix added when it holds no '.' and
// quoted when it holds a blank or a tab, then each argument as it came, every element followed by
// one blank. The arguments are not quoted.
std::string commandLineFor(int count, const char* const* args, const char* executableSuffix);

// The word as one word of a command line, as the start-up code of programs splits it: quoted when
// it is empty or holds a blank, a tab or a double quote, which is then escaped.
std::string asOneWord(const std::string& word);
