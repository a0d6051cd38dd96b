#include "output/output.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/platform.h"

namespace {
constexpr std::size_t kOutputBufferBytes = 4096;

// Our standard output when it is a console, else null.
HANDLE console = nullptr;
bool readerGone = false;
// The start of the child's last character, which the console has not been given yet.
std::string held;

// A write that failed for another reason (a full disk behind a redirection, say) changes nothing.
// Once one has found no reader, the output is not tried again: after a failed write the runtime's
// stream may take more and even flush "successfully" (msvcrt does), writing nothing.
bool checked(bool written) {
    if (!written && platform::writeFoundNoReader()) readerGone = true;
    return !readerGone;
}

// Nobody leaves a console unread: a failed write to one changes nothing either.
bool put(const char* bytes, std::size_t count) {
    if (!console) return checked(std::fwrite(bytes, 1, count, stdout) == count);
    DWORD written = 0;
    WriteFile(console, bytes, static_cast<DWORD>(count), &written, nullptr);
    return true;
}

std::string formatted(const char* format, va_list arguments) {
    va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (length <= 0) return "";
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, arguments);
    text.pop_back();
    return text;
}
}  // namespace

void setUpOutput() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode;
    // A question, not an operation: failing means the output is no console.
    if (GetConsoleMode(output, &mode)) console = output;
    platform::takeBytesAsTheyCome();
    // A buffer of our own: musl takes the size only with one, keeping its 1 KiB otherwise.
    static char buffer[kOutputBufferBytes];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
}

bool writeOutput(const char* bytes, std::size_t count) {
    if (!console) return put(bytes, count);
    held.append(bytes, count);
    const std::size_t whole = platform::wholeCharacters(held);
    put(held.data(), whole);
    held.erase(0, whole);
    return true;
}

void endEcho() {
    put(held.data(), held.size());
    held.clear();
}

int say(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const std::string text = formatted(format, arguments);
    va_end(arguments);
    const std::string shown = platform::forOutput(text);
    put(shown.data(), shown.size());
    return static_cast<int>(text.size());
}

bool flushOutput() {
    return console || checked(std::fflush(stdout) == 0);
}

bool nobodyReads() {
    return readerGone;
}

bool outputIsConsole() {
    return console != nullptr;
}
