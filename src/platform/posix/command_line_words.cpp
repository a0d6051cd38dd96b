#include "platform/posix/command_line_words.h"

namespace posix {
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

std::vector<std::string> splitCommandLine(std::string_view line) {
    return Splitter(line).words();
}

}  // namespace posix
