// How cmd finds a program named without an extension, for the utility to name it so: process
// creation itself adds only ".exe".
#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/platform.h"

namespace {
// What cmd tries when PATHEXT is not set.
constexpr char kDefaultExtensions[] = ".COM;.EXE;.BAT;.CMD";

// Whether the file is where process creation looks for a program: the utility's folder, the
// current one, the system's and PATH. Not finding it is an answer, not a failure to report.
bool found(const std::string& file) {
    char path[MAX_PATH];
    char* name;
    return SearchPathA(nullptr, file.c_str(), nullptr, MAX_PATH, path, &name) > 0;
}
}  // namespace

std::string platform::executableSuffix(const std::string& program) {
    if (program.find('.') != std::string::npos || found(program + ".exe")) return ".exe";
    const char* variable = std::getenv("PATHEXT");
    const std::string extensions = variable ? variable : kDefaultExtensions;
    for (std::size_t start = 0, end; start < extensions.size(); start = end + 1) {
        end = std::min(extensions.find(';', start), extensions.size());
        const std::string extension = extensions.substr(start, end - start);
        if (!extension.empty() && found(program + extension)) return extension;
    }
    return ".exe";
}
