#pragma once

#include <cstddef>
#include <string>

#include "system/handle.h"

namespace sys {

// The folder for temporary files, joined as it stands and ended by the platform's separator: the
// first of the platform's variables that is set and not empty (TEMP, TMP; on POSIX then TMPDIR),
// else the platform's own place (POSIX /tmp/; Windows the current folder, an empty string).
std::string temporaryFolder();
unsigned long processId();

enum class Creation { Created, Taken, Failed };
// Creates a new file to write, readable by others only where the platform lets a reader share
// it (Windows) and private to the user on POSIX, never inherited: only when nothing stands at the
// path, a link that leads nowhere included (Taken). Failed sets the last error.
Creation createNewFile(const std::string& path, Handle& file);
// Writes every byte, waiting whenever the file would not take them at once (a terminal another
// program made non-blocking). False, with the last error set, when a write fails.
bool writeAll(Handle::Native file, const char* bytes, std::size_t count);
// May be called from an ending's clean-up (system/ending.h).
bool removeFile(const char* path);

}  // namespace sys
