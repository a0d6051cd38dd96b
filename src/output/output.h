#pragma once

#include <cstddef>

// The utility's own standard output: the one it was started with. The program's bytes go out as
// they came, wherever the output goes; our own texts as the platform writes them out
// (system/texts.h). On a terminal or console everything is written at once; redirected, it is
// collected up to 4096 bytes and written out whenever the program is quiet. A write that would
// block waits for the output to take it.
//
// Once a write finds that nobody reads the output any more (the reader of a pipe has gone), the
// run is over: nobody would see the rest of the echo, a prompt or a report.

void setUpOutput();
// Writes the program's bytes as they are. Returns false once nobody reads the output. A console
// is given whole characters only: the start of one that the next bytes complete waits for them.
bool writeOutput(const char* bytes, std::size_t count);
// The program's output has ended: what waited for the rest of a character goes out as it is.
void endEcho();
// Writes a text of our own, formatted as printf formats it. Returns its length in bytes, as
// printf does.
int say(const char* format, ...);
// Writes out what is collected. Returns false once nobody reads the output.
bool flushOutput();
// Whether a write has found that nobody reads the output any more.
bool nobodyReads();
// Whether the output is a terminal (a console).
bool outputIsTerminal();
