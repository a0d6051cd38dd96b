// Fuzzes building command lines for Windows: any list of words made into a command line splits
// back unchanged by the rules of Windows programs' start-up code, written out below as the
// reference (the sanitizers watch the splitting of any line too).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "system/windows/command_line.h"

namespace {
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

class Splitter {
public:
    explicit Splitter(std::string_view line) : line_(line) {}

    std::vector<std::string> words() {
        std::vector<std::string> words;
        if (skipBlanks()) words.push_back(programName());
        while (skipBlanks()) words.push_back(argument());
        return words;
    }

private:
    // Returns whether a word follows.
    bool skipBlanks() {
        while (at_ < line_.size() && isBlank(line_[at_])) ++at_;
        return at_ < line_.size();
    }

    std::string programName() {
        std::string word;
        bool quoted = false;
        for (; at_ < line_.size() && (quoted || !isBlank(line_[at_])); ++at_) {
            if (line_[at_] == '"')
                quoted = !quoted;
            else
                word += line_[at_];
        }
        return word;
    }

    // 2n backslashes and a quote give n backslashes and toggle quoting; 2n+1 backslashes and a
    // quote give n backslashes and a literal quote; inside quotes, "" is a literal quote.
    std::string argument() {
        std::string word;
        bool quoted = false;
        while (true) {
            const std::size_t backslashes = countBackslashes();
            if (peek() == '"') {
                word.append(backslashes / 2, '\\');
                ++at_;
                if (backslashes % 2 == 1)
                    word += '"';
                else if (quoted && peek() == '"')
                    word += line_[at_++];
                else
                    quoted = !quoted;
                continue;
            }
            word.append(backslashes, '\\');
            if (at_ == line_.size() || (!quoted && isBlank(line_[at_]))) return word;
            word += line_[at_++];
        }
    }

    std::size_t countBackslashes() {
        const std::size_t start = at_;
        while (peek() == '\\') ++at_;
        return at_ - start;
    }

    char peek() const { return at_ < line_.size() ? line_[at_] : '\0'; }

    std::string_view line_;
    std::size_t at_ = 0;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    Splitter(input).words();
    // The words lie between zero bytes; the first, the program's name, is a path: without a quote.
    std::vector<std::string> words;
    for (std::size_t start = 0, end; start <= size; start = end + 1) {
        end = std::min(input.find('\0', start), size);
        words.push_back(input.substr(start, end - start));
    }
    if (words[0].find('"') != std::string::npos) return 0;
    if (Splitter(sys::commandLineFor(words, "")).words() != words) __builtin_trap();
    return 0;
}
