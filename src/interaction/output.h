#pragma once

#include <cstddef>

// The utility's own standard output: the one it was started with, through the runtime's stream.
// Once a write finds that nobody reads it any more (the reader of a pipe has gone), the run is
// over: nobody would see the rest of the echo, a prompt or a report.

// Each echo reaches a console at once, since a child's prompt without a line end must show
// before the child waits for input; redirected output is written 4096 bytes at a time.
void setUpOutput();
// Writes the bytes as they are. Returns false once nobody reads the output.
bool writeOutput(const char* bytes, std::size_t count);
// Writes out what the stream holds. Returns false once nobody reads the output.
bool flushOutput();
// Whether a write has found that nobody reads the output any more.
bool nobodyReads();
