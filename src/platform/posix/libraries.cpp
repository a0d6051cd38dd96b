#include <iconv.h>
#include <langinfo.h>
#include <nl_types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/posix/handles.h"

namespace {
// gencat's default set, which holds every message.
constexpr int kMessageSet = 1;

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

// /proc/self/exe names the utility's own file. A path that starts with a slash is the system's.
HMODULE platform::loadOwnLibrary(const std::string& path) {
    if (path[0] == '/') return LoadLibraryA(path.c_str());
    char self[MAX_PATH];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self);
    if (length <= 0 || length == sizeof self) return nullptr;
    const std::string own(self, static_cast<std::size_t>(length));
    return LoadLibraryA((own.substr(0, own.rfind('/') + 1) + path).c_str());
}

// Exactly the catalog at that path: with a slash in its name, catopen searches nowhere else, so
// neither NLSPATH nor the locale can put another one in its place. A bare name, which it would
// search for, is refused.
HMODULE LoadLibraryA(LPCSTR libraryName) {
    if (!std::strchr(libraryName, '/')) {
        posix::fail(EINVAL);
        return nullptr;
    }
    const nl_catd catalog = catopen(libraryName, 0);
    return catalog == reinterpret_cast<nl_catd>(-1) ? nullptr : reinterpret_cast<HMODULE>(catalog);
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
