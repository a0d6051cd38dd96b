#pragma once

#include <cstddef>

// Every fallible operation of the system seams returns false, or a failure, with the system's
// last error set to the failing call's: errno on POSIX, GetLastError's on Windows.
namespace sys {

long lastError();
// The system's text for the code, ended by a line end as Windows' own texts are; empty when the
// system has none.
void errorText(long code, char* buffer, std::size_t size);
// Whether a write failed with this code because nobody reads any more (the reader of a pipe has
// gone): EPIPE; on Windows ERROR_NO_DATA, ERROR_BROKEN_PIPE or, under wine,
// ERROR_PIPE_NOT_CONNECTED.
bool meansNoReader(long code);

}  // namespace sys
