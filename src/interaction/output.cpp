#include "interaction/output.h"

#include <cstdio>

#include "platform/platform.h"

namespace {
constexpr std::size_t kOutputBufferBytes = 4096;

// A write that failed for another reason (a full disk behind a redirection, say) changes nothing.
bool checked(bool written) {
    return written || !platform::writeFoundNoReader();
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
