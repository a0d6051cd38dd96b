#include <nl_types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/posix/handles.h"

namespace {
// Where the install puts message catalogs, relative to the executable's own directory.
constexpr char kInstalledDirectory[] = "/../share/tarvix/";
// gencat's default set, which holds every message.
constexpr int kMessageSet = 1;

std::string executableDirectory() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || length == static_cast<ssize_t>(sizeof path)) return "";
    const std::string executable(path, static_cast<std::size_t>(length));
    return executable.substr(0, executable.rfind('/'));
}

// Windows looks beside the program first; then comes the installed place, then catopen's own
// search, where NLSPATH can point at a translated catalog.
std::vector<std::string> catalogCandidates(const std::string& file) {
    const std::string directory = executableDirectory();
    if (directory.empty()) return {file};
    return {directory + "/" + file, directory + kInstalledDirectory + file, file};
}
}  // namespace

HMODULE LoadLibraryA(LPCSTR libraryName) {
    for (const std::string& candidate : catalogCandidates(std::string(libraryName) + ".cat")) {
        const nl_catd catalog = catopen(candidate.c_str(), NL_CAT_LOCALE);
        if (catalog != reinterpret_cast<nl_catd>(-1)) return reinterpret_cast<HMODULE>(catalog);
    }
    return nullptr;
}

// A message the catalog lacks loads as nothing and leaves the buffer alone, as on Windows.
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
    if (!instance || !buffer || bufferMax <= 0) {
        posix::fail(EINVAL);
        return 0;
    }
    const nl_catd catalog = reinterpret_cast<nl_catd>(instance);
    const char* text = catgets(catalog, kMessageSet, static_cast<int>(id), nullptr);
    if (!text) return 0;
    const int length = std::snprintf(buffer, static_cast<std::size_t>(bufferMax), "%s", text);
    return std::min(length, bufferMax - 1);
}

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return IDOK;
}
