#include "system/windows/command_line.h"

#include <cstring>

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

// Outside quotes cmd acts on & | < > ^ ( ) and more: an argument is quoted unless it holds only
// characters known to be plain. Within them, a double quote is doubled (and the backslashes before
// it, for the program the batch file may hand it to). One that ends in backslashes is quoted too,
// and they are doubled: in a batch file's own quotes ("%~1") they would escape its closing one.
std::string sys::forBatch(const std::string& argument) {
    bool quoted = argument.empty() || argument.back() == '\\';
    for (const char c : argument) {
        const char letter = static_cast<char>(c | 0x20);  // ASCII's, whatever the C library's locale
        const bool plain = (c >= '0' && c <= '9') || (letter >= 'a' && letter <= 'z') ||
                           (c & 0x80) || (c && std::strchr("#$*+-./:?@\\_", c));
        quoted = quoted || !plain;
    }
    std::string word = quoted ? "\"" : "";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '"') word.append(backslashes, '\\') += '"';
        backslashes = c == '\\' ? backslashes + 1 : 0;
        word += c;
    }
    if (quoted) word.append(backslashes, '\\') += '"';
    return word;
}

// /d keeps the registry's AutoRun command from running first; the outer quotes are the ones cmd /c
// takes off. cmd expands %NAME% within quotes too, and a line break ends its line: no form passes
// either (a % escaped by an expansion that gives nothing works in some cmds only).
bool sys::batchCommandLine(const std::string& script, const std::string& words,
                           const std::vector<std::string>& args, std::string& line) {
    line = "cmd.exe /v:OFF /d /c \"\"" + script + '"' + words;
    for (const std::string& argument : args) {
        if (argument.find_first_of("%\r\n") != std::string::npos) return false;
        line += ' ' + forBatch(argument);
    }
    line += '"';
    return true;
}
