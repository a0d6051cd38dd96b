#pragma once

#include <cstddef>

#include "system/handle.h"

namespace sys {

// The pipe that carries the program's standard output and error: no end is inherited by anything
// but the program, which gets the write end (system/process.h).
struct Pipe {
    Handle read;
    Handle write;
};
bool createPipe(Pipe& pipe);

enum class PipeRead { Bytes, End, Failed };
// What the pipe holds, up to size bytes, as soon as there is any; End once every writer is gone.
// Whenever the read would wait for the program, beforeWaiting comes first, so that what our output
// holds goes out while the program is quiet; when it returns false, the read gives up (Bytes, 0).
PipeRead readPipe(const Handle& pipe, char* buffer, std::size_t size, std::size_t& count,
                  bool (*beforeWaiting)());

}  // namespace sys
