#include "capture/command_line.h"

std::string commandLineFor(int count, const char* const* args, const char* executableSuffix) {
    std::string line = args[0];
    if (line.find('.') == std::string::npos) line += executableSuffix;
    line += ' ';
    for (int i = 1; i < count; ++i) {
        line += args[i];
        line += ' ';
    }
    return line;
}
