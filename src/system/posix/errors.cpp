#include "system/errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace sys {

long lastError() {
    return errno;
}

// strerror's text in the locale's language, ended as Windows' texts are.
void errorText(long code, char* buffer, std::size_t size) {
    std::snprintf(buffer, size, "%s\n", std::strerror(static_cast<int>(code)));
}

// SIGPIPE is ignored (platform.cpp), so a write with nobody reading fails with EPIPE.
bool meansNoReader(long code) {
    return code == EPIPE;
}

}  // namespace sys
