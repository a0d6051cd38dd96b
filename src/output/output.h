#pragma once

#include <cstddef>

// The standard output we were started with: the program's bytes as they came, our texts as the
// platform writes them (system/texts.h). Up to 64 KiB are collected while more output waits, and
// written whenever the program is quiet, on a terminal too. Once a write finds that nobody reads
// any more, the run is over: nobody would see the rest.

void setUpOutput();
// Writes the program's bytes as they are. Returns false once nobody reads the output. A console
// is given whole characters only: the start of one that the next bytes complete waits for them.
bool writeOutput(const char* bytes, std::size_t count);
// The program's output has ended: what waited for the rest of a character goes out as it is.
void endEcho();
// Writes a text of our own, formatted as printf formats it. Returns its length in bytes, as
// printf does.
int say(const char* format, ...);
// The same on standard error, once what the output holds is written out.
int sayError(const char* format, ...);
// Writes out what is collected. Returns false once nobody reads the output.
bool flushOutput();
// Whether a write has found that nobody reads the output any more.
bool nobodyReads();
// Whether the output is a terminal (a console).
bool outputIsTerminal();
