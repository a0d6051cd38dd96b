#include "system/windows/command_line.h"

// The program's name is split by quotes alone, as Windows finds the program: quoted when empty or
// holding a blank or tab ("C:\Program Files\x.exe" would run "C:\Program.exe"); no path holds a
// quote.
std::string sys::commandLineFor(const std::vector<std::string>& args,
                                const std::string& executableSuffix) {
    std::string program = args[0];
    if (program.find('.') == std::string::npos) program += executableSuffix;
    const bool quoted = program.empty() || program.find_first_of(" \t") != std::string::npos;
    std::string line = quoted ? '"' + program + '"' : program;
    for (std::size_t i = 1; i < args.size(); ++i) line += ' ' + asOneWord(args[i]);
    return line;
}

// Backslashes are literal but before a double quote, where each one is doubled: those of the word
// itself, and those before the closing quote.
std::string sys::asOneWord(const std::string& word) {
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
