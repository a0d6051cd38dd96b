// Fuzzes building and splitting command lines. Any line splits without reading or writing out of
// bounds (the sanitizers watch), and arguments that need no quoting, built into a line, split
// back out as they were.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "capture/command_line.h"
#include "platform/posix/command_line_words.h"

namespace {
// The input cut at blanks, tabs, quotes and zero bytes into non-empty arguments.
std::vector<std::string> simpleArguments(std::string_view input) {
    std::vector<std::string> words(1);
    for (const char c : input) {
        if (c != ' ' && c != '\t' && c != '"' && c != '\0') words.back() += c;
        else if (!words.back().empty()) words.emplace_back();
    }
    if (words.back().empty()) words.pop_back();
    return words;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    posix::splitCommandLine(input);

    std::vector<std::string> args = simpleArguments(input);
    if (args.empty()) return 0;
    std::vector<const char*> pointers;
    for (const std::string& arg : args) pointers.push_back(arg.c_str());
    const std::string line = buildCommandLine(static_cast<int>(args.size()), pointers.data(), ".exe");
    if (args[0].find('.') == std::string::npos) args[0] += ".exe";
    if (posix::splitCommandLine(line) != args) __builtin_trap();
    return 0;
}
