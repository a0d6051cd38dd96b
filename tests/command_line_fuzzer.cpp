// Fuzzes splitting and building command lines: any line splits within bounds (the sanitizers
// watch), and any list of words, quoted by the splitting rules' inverse and built into a line,
// splits back out as it was.
#include <cstdint>
#include <string>
#include <vector>

#include "capture/command_line.h"
#include "platform/posix/command_line_words.h"

namespace {
// In quotes; a run of backslashes is doubled where a quote follows it, the word's own quote or
// the closing one, and that quote is escaped.
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
    // The words are the input's pieces between zero bytes; the program's name, first, can hold
    // no quote, as only quotes count in it.
    std::vector<std::string> words;
    for (std::size_t start = 0, end; start <= size; start = end + 1) {
        end = std::min(input.find('\0', start), size);
        words.push_back(input.substr(start, end - start));
    }
    if (words[0].find('"') != std::string::npos) return 0;
    std::vector<std::string> quotedWords = {'"' + words[0] + '"'};
    for (std::size_t i = 1; i < words.size(); ++i) quotedWords.push_back(quoted(words[i]));
    std::vector<const char*> args;
    for (const std::string& word : quotedWords) args.push_back(word.c_str());
    const std::string line = commandLineFor(static_cast<int>(args.size()), args.data(), "");
    if (posix::splitCommandLine(line) != words) __builtin_trap();
    return 0;
}
