#include "interaction/output.h"

#include <cstdio>

#include "platform/platform.h"

namespace {
constexpr std::size_t kOutputBufferBytes = 4096;

bool readerGone = false;

// A write that failed for another reason (a full disk behind a redirection, say) changes nothing.
// Once one has found no reader, the output is not tried again: after a failed write the runtime's
// stream may take more and even flush "successfully" (msvcrt does), writing nothing.
bool checked(bool written) {
    if (!written && platform::writeFoundNoReader()) readerGone = true;
    return !readerGone;
}
}  // namespace

void setUpOutput() {
    DWORD mode;
    // A question, not an operation: failing means the output is no console.
    const bool console = GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode);
    std::setvbuf(stdout, nullptr, console ? _IONBF : _IOFBF, kOutputBufferBytes);
}

bool writeOutput(const char* bytes, std::size_t count) {
    return checked(std::fwrite(bytes, 1, count, stdout) == count);
}

bool flushOutput() {
    return checked(std::fflush(stdout) == 0);
}

bool nobodyReads() {
    return readerGone;
}
