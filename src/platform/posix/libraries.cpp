#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "platform/posix/handles.h"

namespace {
// Catalogs are UTF-8; the locale may have another character set (de_DE.ISO-8859-1, say). A text
// that cannot be given whole in it is not given at all: false.
bool inLocaleCharset(const char* text, std::string& converted) {
    converted = text;
    const std::string charset = posix::localeCharset();
    const bool ascii = std::all_of(converted.begin(), converted.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || charset == "UTF-8") return true;
    const iconv_t conversion = iconv_open(charset.c_str(), "UTF-8");
    if (conversion == reinterpret_cast<iconv_t>(-1)) return false;
    std::string output(4 * converted.size(), '\0');
    char* in = &converted[0];
    char* out = &output[0];
    std::size_t inLeft = converted.size();
    std::size_t outLeft = output.size();
    // Anything but 0 leaves a character out: -1, or musl's count of characters it replaced.
    const bool whole = iconv(conversion, &in, &inLeft, &out, &outLeft) == 0;
    iconv_close(conversion);
    converted = output.substr(0, output.size() - outLeft);
    return whole;
}
}  // namespace

bool platform::showsWhole(HMODULE library, UINT lastId) {
    std::string converted;
    for (UINT id = 1; id <= lastId; ++id) {
        const char* text = posix::textOf(library, id);
        if (text && !inLocaleCharset(text, converted)) return false;
    }
    return true;
}

// A path that starts with a slash is the system's.
HMODULE platform::loadOwnLibrary(const std::string& path) {
    if (path[0] == '/') return LoadLibraryA(path.c_str());
    const std::string own = posix::ownFile();
    if (own.empty()) return nullptr;
    return LoadLibraryA((own.substr(0, own.rfind('/') + 1) + path).c_str());
}

// A message the catalog lacks, or cannot give in the locale's character set, loads as nothing
// and leaves the buffer alone, as on Windows a missing one does.
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
    if (!instance || !buffer || bufferMax <= 0) {
        posix::fail(EINVAL);
        return 0;
    }
    const char* text = posix::textOf(instance, id);
    std::string converted;
    if (!text || !inLocaleCharset(text, converted)) return 0;
    const int length =
        std::snprintf(buffer, static_cast<std::size_t>(bufferMax), "%s", converted.c_str());
    return std::min(length, bufferMax - 1);
}
