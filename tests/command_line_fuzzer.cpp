// Fuzzes splitting and building command lines: any line splits within bounds (the sanitizers
// watch), and any list of words, quoted by the splitting rules' inverse, splits back unchanged.
#include <cstdint>
#include <string>
#include <vector>

#include "capture/command_line.h"
#include "platform/posix/command_line_words.h"

namespace {
// A run of backslashes is doubled where a quote follows, the word's own or the closing one.
std::string quoted(const std::string& word) {
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : word) {
        if (c == '"') quoted.append(backslashes + 1, '\\');
        backslashes = c == '\\' ? backslashes + 1 : 0;
        quoted += c;
    }
    return quoted.append(backslashes, '\\') + '"';
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    posix::splitCommandLine(input);
    // The words lie between zero bytes; the first, the program's name, can hold no quote.
    std::vector<std::string> words, quotedWords;
    std::vector<const char*> args;
    for (std::size_t start = 0, end; start <= size; start = end + 1) {
        end = std::min(input.find('\0', start), size);
        words.push_back(input.substr(start, end - start));
        quotedWords.push_back(words.size() == 1 ? '"' + words[0] + '"' : quoted(words.back()));
    }
    if (words[0].find('"') != std::string::npos) return 0;
    for (const std::string& word : quotedWords) args.push_back(word.c_str());
    const std::string line = commandLineFor(static_cast<int>(args.size()), args.data(), "");
    if (posix::splitCommandLine(line) != words) __builtin_trap();
    return 0;
}
