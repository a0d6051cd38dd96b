// Message libraries as the build writes them (messages/message_source.cmake): a line for each
// text, its id, a tab and the text, in UTF-8. The layer reads them itself, since the X/Open
// catalogs of one C library are not another's (musl's catopen does not read glibc's gencat's).
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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

// The whole file, or false with errno set.
bool readWhole(const char* path, std::string& content) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char bytes[4096];
    ssize_t count;
    while ((count = read(fd, bytes, sizeof bytes)) > 0)
        content.append(bytes, static_cast<std::size_t>(count));
    const int error = errno;
    close(fd);
    errno = error;
    return count == 0;
}

// Every line a text, the last one ended too.
bool readTexts(const std::string& content, HINSTANCE__& library) {
    for (std::size_t start = 0, end; start < content.size(); start = end + 1) {
        end = content.find('\n', start);
        const std::size_t tab = content.find('\t', start);
        if (end == std::string::npos || tab > end || !isId(content.substr(start, tab - start))) {
            return false;
        }
        library.texts[static_cast<UINT>(std::stoul(content.substr(start, tab - start)))] =
            content.substr(tab + 1, end - tab - 1);
    }
    return true;
}
}  // namespace

// Exactly the catalog at that path: a bare name, which Windows would search for, is refused. A
// file that is not such a catalog fails as Windows fails a file that is no library.
HMODULE LoadLibraryA(LPCSTR libraryName) {
    if (!std::strchr(libraryName, '/')) {
        posix::fail(EINVAL);
        return nullptr;
    }
    std::string content;
    if (!readWhole(libraryName, content)) return nullptr;
    HMODULE library = new HINSTANCE__;
    if (readTexts(content, *library)) return library;
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
