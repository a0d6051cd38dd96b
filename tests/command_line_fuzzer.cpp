// Fuzzes building and splitting command lines: any line splits within bounds (the sanitizers
// watch), and arguments that need no quoting, built into a line, split back out as they were.
#include <cstdint>
#include <string>
#include <vector>

#include "capture/command_line.h"
#include "platform/posix/command_line_words.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    posix::splitCommandLine(input);

    std::vector<std::string> args(1);  // the input cut at blanks, tabs, quotes and zero bytes
    for (const char c : input) {
        if (std::string(" \t\"", 4).find(c) == std::string::npos)
            args.back() += c;
        else if (!args.back().empty())
            args.emplace_back();
    }
    if (args.back().empty()) args.pop_back();
    if (args.empty()) return 0;
    std::vector<const char*> pointers;
    for (const std::string& arg : args) pointers.push_back(arg.c_str());
    const std::string line =
        buildCommandLine(static_cast<int>(args.size()), pointers.data(), ".exe");
    if (args[0].find('.') == std::string::npos) args[0] += ".exe";
    if (posix::splitCommandLine(line) != args) __builtin_trap();
    return 0;
}
