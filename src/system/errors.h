#pragma once

#include <cstddef>

// A fallible operation of the system seams returns false, or a failure, with the system's last
// error the failing call's: errno on POSIX, GetLastError's on Windows.
namespace sys {

long lastError();
// The system's text for the code, ended by a line end as Windows' own are; empty without one.
void errorText(long code, char* buffer, std::size_t size);
// Whether a write failed because nobody reads any more (the reader of a pipe has gone).
bool meansNoReader(long code);

}  // namespace sys
