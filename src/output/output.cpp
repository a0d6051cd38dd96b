#include "output/output.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "system/errors.h"
#include "system/files.h"
#include "system/terminal.h"
#include "system/texts.h"

namespace {
// As much as one read of the pipe gives: the echo of bulk output goes out in pieces this size.
constexpr std::size_t kOutputBufferBytes = 64 * 1024;

// The one standard output of the process, and what is known of it.
struct Output {
    sys::Handle::Native handle = sys::Handle::kNone;
    bool terminal = false;
    bool readerGone = false;
    std::string collected;  // what waits to be written out
    std::string held;       // the start of the program's last character, for a console
} output;

// Only a reader that has gone ends the output: a full disk behind a redirection changes nothing,
// and nobody leaves a terminal unread.
bool put(const char* bytes, std::size_t count) {
    if (output.readerGone) return false;
    if (!sys::writeAll(output.handle, bytes, count) && !output.terminal &&
        sys::meansNoReader(sys::lastError()))
        output.readerGone = true;
    return !output.readerGone;
}

bool collect(const char* bytes, std::size_t count) {
    if (output.collected.size() + count > kOutputBufferBytes && !flushOutput()) return false;
    if (count >= kOutputBufferBytes) return put(bytes, count);
    output.collected.append(bytes, count);
    return !output.readerGone;
}

}  // namespace

void setUpOutput() {
    output.handle = sys::standardOutput();
    output.terminal = sys::isTerminal(output.handle);
    output.collected.reserve(kOutputBufferBytes);
}

bool writeOutput(const char* bytes, std::size_t count) {
    if (!output.terminal) return collect(bytes, count);
    output.held.append(bytes, count);
    const std::size_t whole = sys::wholeCharacters(output.held);
    collect(output.held.data(), whole);
    output.held.erase(0, whole);
    return true;
}

void endEcho() {
    collect(output.held.data(), output.held.size());
    output.held.clear();
}

int say(const char* format, ...) {
    // Our texts are 80 bytes at most, a system's 500, a report's line about a hundred.
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    const std::string shown = sys::forOutput(text);
    collect(shown.data(), shown.size());
    return length;
}

bool flushOutput() {
    if (output.collected.empty()) return !output.readerGone;
    const bool written = put(output.collected.data(), output.collected.size());
    output.collected.clear();
    return written;
}

bool nobodyReads() {
    return output.readerGone;
}

bool outputIsTerminal() {
    return output.terminal;
}
