#include "capture/command_line.h"

// The program's name is quoted when it holds a blank or a tab: unquoted, Windows would run the
// first word of its path, "C:\Program.exe" for "C:\Program Files\x.exe". Its start-up rules take
// quotes alone in it, and no path holds one.
std::string commandLineFor(int count, const char* const* args, const char* executableSuffix) {
    std::string program = args[0];
    if (program.find('.') == std::string::npos) program += executableSuffix;
    const bool blanks = program.find_first_of(" \t") != std::string::npos;
    std::string line = blanks ? '"' + program + '"' : program;
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
