#include <nl_types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/posix/handles.h"

namespace {
// Where the install puts message catalogs, relative to the executable's own directory.
constexpr char kInstalledDirectory[] = "../share/tarvix/";
// gencat's default set, which holds every message.
constexpr int kMessageSet = 1;

// A catalog named by its path is looked for there; then where the install puts catalogs, relative
// to that directory; then through catopen's own search, where NLSPATH can point at a translated
// catalog. A catalog is data: none of these places can run code of anyone's.
std::vector<std::string> catalogCandidates(const std::string& path) {
    const std::size_t slash = path.rfind('/') + 1;
    const std::string directory = path.substr(0, slash);
    const std::string file = path.substr(slash);
    return {path, directory + kInstalledDirectory + file, file};
}
}  // namespace

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    if (module || size == 0) {
        posix::fail(EINVAL);
        return 0;
    }
    const ssize_t length = readlink("/proc/self/exe", fileName, size);
    if (length < 0) return 0;
    // Cut to the buffer and terminated, and the whole size returned, as Windows does.
    const auto copied = std::min(static_cast<DWORD>(length), size - 1);
    fileName[copied] = '\0';
    return static_cast<DWORD>(length) < size ? copied : size;
}

HMODULE LoadLibraryA(LPCSTR libraryName) {
    for (const std::string& candidate : catalogCandidates(libraryName)) {
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
