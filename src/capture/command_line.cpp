#include "capture/command_line.h"

std::string commandLineFor(int count, const char* const* args, const char* executableSuffix) {
    std::string line = args[0];
    if (line.find('.') == std::string::npos) line += executableSuffix;
    line += ' ';
    for (int i = 1; i < count; ++i) {
        line += args[i];
        line += ' ';
    }
    return line;
}

// Backslashes are literal but before a double quote, where each one is doubled: those of the word
// itself, and those before the closing quote.
std::string asOneWord(const std::string& word) {
    if (!word.empty() && word.find_first_of(" \t\"") == std::string::npos) return word;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : word) {
        if (c == '"') quoted.append(backslashes + 1, '\\');
        backslashes = c == '\\' ? backslashes + 1 : 0;
        quoted += c;
    }
    return quoted.append(backslashes, '\\') + '"';
}
