#pragma once

// Judges the result of a fallible platform call. Call it at once after the call, so that the last
// error is still that call's. On failure it prints where the report comes from and the system's
// text for the last error to standard output; a failure never stops the caller.
// Returns ok on success, otherwise the count from the last print.
int reportFailure(int ok, const char* operation);
