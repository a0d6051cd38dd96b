#pragma once

#include <cstddef>

// The utility's own standard output: the one it was started with. On a console everything is
// written to it directly, the child's bytes as they came and our own texts in the console's code
// page: the runtime's text mode would convert the one and not the other. Redirected, everything
// goes through the runtime's stream, 4096 bytes at a time, in the program's code page.
//
// Once a write finds that nobody reads the output any more (the reader of a pipe has gone), the
// run is over: nobody would see the rest of the echo, a prompt or a report.

void setUpOutput();
// Writes the child's bytes as they are. Returns false once nobody reads the output.
bool writeOutput(const char* bytes, std::size_t count);
// Writes a text of our own, formatted as printf formats it. Returns its length in bytes, as
// printf does.
int say(const char* format, ...);
// Writes out what the stream holds. Returns false once nobody reads the output.
bool flushOutput();
// Whether a write has found that nobody reads the output any more.
bool nobodyReads();
// Whether the output is a console (a terminal).
bool outputIsConsole();
