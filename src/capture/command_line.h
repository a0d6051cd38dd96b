#pragma once

#include <string>

// The child's command line, which the child's start-up code splits back into exactly these
// words: the target, with executableSuffix added when it holds no '.', then each argument, one
// blank between them.
std::string commandLineFor(int count, const char* const* args, const char* executableSuffix);

// The word as one word of a command line, as the start-up code of programs splits it: quoted when
// it is empty or holds a blank, a tab or a double quote, which is then escaped.
std::string asOneWord(const std::string& word);
