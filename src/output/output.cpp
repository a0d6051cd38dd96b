#include "output/output.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "system/errors.h"
#include "system/files.h"
#include "system/terminal.h"
#include "system/texts.h"

namespace {
constexpr std::size_t kOutputBufferBytes = 4096;

// The one standard output of the process, and what is known of it.
struct Output {
    sys::Handle::Native handle = sys::Handle::kNone;
    bool terminal = false;
    bool readerGone = false;
    std::string collected;  // redirected: what waits to be written out
    std::string held;       // the start of the program's last character, for a console
} output;

// A write that failed for another reason (a full disk behind a redirection, say) changes
// nothing; nobody leaves a terminal unread, so a failed write to one changes nothing either.
// Once one has found no reader, the output is not tried again.
bool put(const char* bytes, std::size_t count) {
    if (output.readerGone) return false;
    if (!sys::writeAll(output.handle, bytes, count) && !output.terminal &&
        sys::meansNoReader(sys::lastError()))
        output.readerGone = true;
    return !output.readerGone;
}

bool collect(const char* bytes, std::size_t count) {
    if (output.terminal) return put(bytes, count);
    if (output.collected.size() + count > kOutputBufferBytes && !flushOutput()) return false;
    if (count >= kOutputBufferBytes) return put(bytes, count);
    output.collected.append(bytes, count);
    return !output.readerGone;
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
    output.handle = sys::standardOutput();
    output.terminal = sys::isTerminal(output.handle);
    output.collected.reserve(kOutputBufferBytes);
}

bool writeOutput(const char* bytes, std::size_t count) {
    if (!output.terminal) return collect(bytes, count);
    output.held.append(bytes, count);
    const std::size_t whole = sys::wholeCharacters(output.held);
    put(output.held.data(), whole);
    output.held.erase(0, whole);
    return true;
}

void endEcho() {
    put(output.held.data(), output.held.size());
    output.held.clear();
}

int say(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const std::string text = formatted(format, arguments);
    va_end(arguments);
    const std::string shown = sys::forOutput(text);
    collect(shown.data(), shown.size());
    return static_cast<int>(text.size());
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
