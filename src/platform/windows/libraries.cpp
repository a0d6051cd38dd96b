// Libraries beside the utility, by their full paths. The wide calls name any folder, whatever the
// ANSI code page can hold (before Windows 10 version 1903 the UTF-8 manifest does not apply);
// Windows 95, 98 and ME have only stubs of them, which fail, and there the ANSI calls do.
#include <string>

#include "platform/platform.h"

namespace {
// The folder of the utility's own file, with its separator; empty when it cannot be named.
template <typename Char, typename Query>
std::basic_string<Char> ownFolder(Query query) {
    Char path[MAX_PATH];
    const DWORD length = query(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return {};
    const std::basic_string<Char> self(path, length);
    return self.substr(0, self.rfind(Char('\\')) + 1);
}
}  // namespace

// The paths asked for are the program's own, in ASCII: each char widens as it stands.
HMODULE platform::loadOwnLibrary(const std::string& path) {
    const std::wstring wide = ownFolder<wchar_t>(GetModuleFileNameW);
    if (!wide.empty()) {
        const HMODULE library =
            LoadLibraryW((wide + std::wstring(path.begin(), path.end())).c_str());
        if (library || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return library;
    }
    const std::string folder = ownFolder<char>(GetModuleFileNameA);
    return folder.empty() ? nullptr : LoadLibraryA((folder + path).c_str());
}
