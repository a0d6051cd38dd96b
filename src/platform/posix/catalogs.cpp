// Message libraries as the build writes them (messages/message_source.cmake): a line for each
// text, its id, a tab and the text, in UTF-8. The layer reads them itself, since the X/Open
// catalogs of one C library are not another's (musl's catopen does not read glibc's gencat's).
#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "platform/posix/handles.h"

struct HINSTANCE__ {
    std::map<UINT, std::string> texts;
};

namespace {
// At most nine digits, so that any id fits.
bool isId(const std::string& digits) {
    return !digits.empty() && digits.size() <= 9 &&
           digits.find_first_not_of("0123456789") == std::string::npos;
}

bool readTexts(std::ifstream& file, HINSTANCE__& library) {
    for (std::string line; std::getline(file, line);) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos || !isId(line.substr(0, tab))) return false;
        library.texts[static_cast<UINT>(std::stoul(line.substr(0, tab)))] = line.substr(tab + 1);
    }
    return file.eof();
}
}  // namespace

// Exactly the catalog at that path: a bare name, which Windows would search for, is refused. A
// file that is not such a catalog fails as Windows fails a file that is no library.
HMODULE LoadLibraryA(LPCSTR libraryName) {
    if (!std::strchr(libraryName, '/')) {
        posix::fail(EINVAL);
        return nullptr;
    }
    std::ifstream file(libraryName, std::ios::binary);
    if (!file) return nullptr;
    HMODULE library = new HINSTANCE__;
    if (readTexts(file, *library)) return library;
    delete library;
    posix::fail(ENOEXEC);
    return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
    delete module;
    return TRUE;
}

const char* posix::textOf(HMODULE library, UINT id) {
    const auto found = library->texts.find(id);
    return found == library->texts.end() ? nullptr : found->second.c_str();
}
