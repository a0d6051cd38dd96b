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
    sys::Handle::Native errors = sys::Handle::kNone;
    bool terminal = false;
    bool readerGone = false;
    std::string collected;  // what waits to be written out
    std::string held;       // the start of the program's last character, for a console
} output;

// Our texts are 80 bytes at most, a system's 500, a report's line about a hundred.
std::string formatted(const char* format, va_list arguments, int& length) {
    char text[1024];
    length = std::vsnprintf(text, sizeof text, format, arguments);
    return sys::forOutput(text);
}

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
    output.errors = sys::standardError();
    output.terminal = sys::isTerminal(output.handle);
    output.collected.reserve(kOutputBufferBytes);
}

// Only the start of a character that a console must wait for is copied aside; the rest goes from
// the read itself.
bool writeOutput(const char* bytes, std::size_t count) {
    if (!output.terminal) return collect(bytes, count);
    std::string joined;
    if (!output.held.empty()) {
        joined.assign(output.held).append(bytes, count);
        bytes = joined.data();
        count = joined.size();
    }
    const std::size_t whole = sys::wholeCharacters(bytes, count);
    collect(bytes, whole);
    output.held.assign(bytes + whole, count - whole);
    return true;
}

void endEcho() {
    collect(output.held.data(), output.held.size());
    output.held.clear();
}

int say(const char* format, ...) {
    int length;
    va_list arguments;
    va_start(arguments, format);
    const std::string shown = formatted(format, arguments, length);
    va_end(arguments);
    collect(shown.data(), shown.size());
    return length;
}

// What the output holds goes first: on one terminal, the lines come in the order they were
// written. A report that cannot be written has nowhere else to go.
int sayError(const char* format, ...) {
    flushOutput();
    int length;
    va_list arguments;
    va_start(arguments, format);
    const std::string shown = formatted(format, arguments, length);
    va_end(arguments);
    sys::writeAll(output.errors, shown.data(), shown.size());
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
