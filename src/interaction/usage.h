#pragma once

// Prints the usage text, one line per message from IDS_USAGE_FIRST to IDS_USAGE_LAST.
void printUsage();

// Whether the argument asks for the usage (--help; on Windows /? too).
bool asksForHelp(const char* argument);
// Whether the argument asks for the version (--version).
bool asksForVersion(const char* argument);
// Prints "tarvix <version>".
void printVersion();

// Double-clicked, the utility has a console of its own, whose window would close with it before
// the usage could be read: a key closes it. Elsewhere it returns at once.
void holdOwnConsole();
