// Fuzzes splitting and building command lines: any line splits within bounds (the sanitizers
// watch), and the words of it that need no quoting, built into a line, split back out as they were.
#include <cstdint>
#include <string>
#include <vector>

#include "capture/command_line.h"
#include "platform/posix/command_line_words.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto words = posix::splitCommandLine({reinterpret_cast<const char*>(data), size});
    std::vector<const char*> args;
    for (const std::string& word : words)
        if (!word.empty() && word.find_first_of(std::string(" \t\"", 4)) == std::string::npos)
            args.push_back(word.c_str());
    if (args.empty()) return 0;
    const std::string line = commandLineFor(static_cast<int>(args.size()), args.data(), "");
    if (posix::splitCommandLine(line) != std::vector<std::string>(args.begin(), args.end()))
        __builtin_trap();
    return 0;
}
