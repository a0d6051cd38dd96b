// Fuzzes building command lines for Windows: any list of words made into a command line splits
// back unchanged by the rules of Windows programs' start-up code, written out here as the
// reference (the sanitizers watch the splitting of any line too).
#include <cstdint>
#include <string>
#include <vector>

#include "system/windows/command_line.h"

namespace {
// Blanks and tabs separate words and double quotes group them. In an argument, 2n backslashes
// and a quote give n backslashes and a toggle, 2n+1 and a quote n and a literal quote, and inside
// quotes "" is a literal quote; other backslashes are literal. The program's name is split by
// quotes alone.
std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> words;
    std::size_t at = 0;
    const auto blank = [&] { return at < line.size() && (line[at] == ' ' || line[at] == '\t'); };
    for (bool name = true;; name = false) {
        while (blank()) ++at;
        if (at == line.size()) return words;
        std::string word;
        for (bool quoted = false; at < line.size() && (quoted || !blank());) {
            std::size_t backslashes = 0;
            while (!name && at < line.size() && line[at] == '\\') ++backslashes, ++at;
            if (at == line.size() || line[at] != '"') {
                word.append(backslashes, '\\');
                if (at < line.size() && (quoted || !blank())) word += line[at++];
                continue;
            }
            word.append(backslashes / 2, '\\');
            ++at;
            if (!name && backslashes % 2)
                word += '"';
            else if (!name && quoted && at < line.size() && line[at] == '"')
                word += line[at++];
            else
                quoted = !quoted;
        }
        words.push_back(word);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    split(input);
    // The words lie between zero bytes; the first, the program's name, is a path: without a quote.
    std::vector<std::string> words;
    for (std::size_t start = 0, end; start <= size; start = end + 1) {
        end = std::min(input.find('\0', start), size);
        words.push_back(input.substr(start, end - start));
    }
    if (words[0].find('"') != std::string::npos) return 0;
    if (split(sys::commandLineFor(words, "")) != words) __builtin_trap();
    return 0;
}
