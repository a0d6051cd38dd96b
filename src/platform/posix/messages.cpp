#include <iconv.h>
#include <langinfo.h>
#include <nl_types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
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

// Catalogs are UTF-8; the locale may have another character set (de_DE.ISO-8859-1, say). A text
// that cannot be given whole in it is not given at all: false.
bool inLocaleCharset(const char* text, std::string& converted) {
    converted = text;
    const char* charset = nl_langinfo(CODESET);
    const bool ascii = std::all_of(converted.begin(), converted.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || std::strcmp(charset, "UTF-8") == 0) return true;
    const iconv_t conversion = iconv_open(charset, "UTF-8");
    if (conversion == reinterpret_cast<iconv_t>(-1)) return false;
    std::string output(4 * converted.size(), '\0');
    char* in = &converted[0];
    char* out = &output[0];
    std::size_t inLeft = converted.size();
    std::size_t outLeft = output.size();
    const bool whole = iconv(conversion, &in, &inLeft, &out, &outLeft) == 0;
    iconv_close(conversion);
    converted = output.substr(0, output.size() - outLeft);
    return whole;
}

const char* textOf(HINSTANCE instance, UINT id) {
    return catgets(reinterpret_cast<nl_catd>(instance), kMessageSet, static_cast<int>(id), nullptr);
}
}  // namespace

bool platform::showsWhole(HMODULE library, UINT lastId) {
    std::string converted;
    for (UINT id = 1; id <= lastId; ++id) {
        const char* text = textOf(library, id);
        if (text && !inLocaleCharset(text, converted)) return false;
    }
    return true;
}

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

BOOL FreeLibrary(HMODULE module) {
    return catclose(reinterpret_cast<nl_catd>(module)) == 0;
}

// A message the catalog lacks, or cannot give in the locale's character set, loads as nothing
// and leaves the buffer alone, as on Windows a missing one does.
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
    if (!instance || !buffer || bufferMax <= 0) {
        posix::fail(EINVAL);
        return 0;
    }
    const char* text = textOf(instance, id);
    std::string converted;
    if (!text || !inLocaleCharset(text, converted)) return 0;
    const int length =
        std::snprintf(buffer, static_cast<std::size_t>(bufferMax), "%s", converted.c_str());
    return std::min(length, bufferMax - 1);
}

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return IDOK;
}
