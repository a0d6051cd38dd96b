// Fuzzes splitting and building command lines: any line splits within bounds (the sanitizers
// watch), and any list of words made into a command line splits back unchanged.
#include <cstdint>
#include <string>
#include <vector>

#include "capture/command_line.h"
#include "platform/posix/command_line_words.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    posix::splitCommandLine(input);
    // The words lie between zero bytes; the first, the program's name, is a path: without a quote.
    std::vector<std::string> words;
    for (std::size_t start = 0, end; start <= size; start = end + 1) {
        end = std::min(input.find('\0', start), size);
        words.push_back(input.substr(start, end - start));
    }
    if (words[0].find('"') != std::string::npos) return 0;
    std::vector<const char*> args;
    for (const std::string& word : words) args.push_back(word.c_str());
    const std::string line = commandLineFor(static_cast<int>(args.size()), args.data(), "");
    if (posix::splitCommandLine(line) != words) __builtin_trap();
    return 0;
}
