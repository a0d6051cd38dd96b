// The utility's own file, whose folder holds its message catalogs.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/posix/handles.h"

#ifdef __APPLE__
#include <mach-o/dyld.h>

// The path the utility was started by, which may pass through links: the file itself is where its
// catalogs are, as on Linux.
std::string posix::ownFile() {
    char started[PATH_MAX];
    std::uint32_t size = sizeof started;
    if (_NSGetExecutablePath(started, &size) != 0) return "";
    char resolved[PATH_MAX];
    return realpath(started, resolved) ? resolved : "";
}
#else
#include <unistd.h>

// Linux names the running program's file, links resolved, at /proc/self/exe.
std::string posix::ownFile() {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self);
    if (length <= 0 || length == sizeof self) return "";
    return std::string(self, static_cast<std::size_t>(length));
}
#endif
