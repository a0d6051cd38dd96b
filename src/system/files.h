#pragma once

#include <cstddef>
#include <string>

#include "system/handle.h"

namespace sys {

// The folder for temporary files, with a separator to join a name: the first of the platform's
// variables set and not empty (TEMP, TMP; TMPDIR on POSIX), else /tmp/ on POSIX and the current
// folder ("") on Windows.
std::string temporaryFolder();
unsigned long processId();

enum class Creation { Created, Taken, Failed };
// A new file to write, never inherited, only when nothing stands at the path, not even a link
// that leads nowhere (else Taken): private to the user on POSIX; shared for reading on Windows.
Creation createNewFile(const std::string& path, Handle& file);
// Every byte, waiting whenever the file would not take them at once (a terminal that another
// program made non-blocking).
bool writeAll(Handle::Native file, const char* bytes, std::size_t count);
// Safe in an ending's clean-up.
bool removeFile(const char* path);

}  // namespace sys
