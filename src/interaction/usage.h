#pragma once

// Prints the usage text, one line per message from IDS_USAGE_FIRST to IDS_USAGE_LAST.
void printUsage();

// Answers an option, which runs nothing and makes no log: --help (and /? on Windows) with the
// usage, --version with "tarvix <version>". Whether the argument was one.
bool answerOption(const char* argument);

// Double-clicked, the utility has a console of its own, whose window would close with it before
// the usage could be read: a key closes it. Elsewhere it returns at once.
void holdOwnConsole();
