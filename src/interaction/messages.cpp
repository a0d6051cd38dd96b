#include "interaction/messages.h"

#include <string>

HMODULE messageLibrary = nullptr;

namespace {
// The library beside the utility, by its full path: loading a library runs its code, so one that
// stands in the current folder or on PATH must never be taken instead. Empty when the utility
// cannot name its own file.
std::string besideUs(const char* file) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return "";
    const std::string self(path, length);
    return self.substr(0, self.rfind(platform::kPathSeparator) + 1) + file;
}
}  // namespace

bool loadMessageLibrary() {
    const std::string library = besideUs(platform::kMessageLibraryFile);
    messageLibrary = library.empty() ? nullptr : LoadLibraryA(library.c_str());
    if (messageLibrary) return true;
    // The one text that cannot come from the library.
    const std::string text =
        std::string("Cannot find ") + platform::kMessageLibraryFile + ". Tarvix will now terminate";
    MessageBoxA(nullptr, text.c_str(), "Tarvix error", MB_ICONERROR | MB_SETFOREGROUND);
    return false;
}

void loadMessage(HMODULE library, UINT id, MessageBuffer& buffer) {
    buffer[0] = '\0';
    LoadStringA(library, id, buffer, kMessageBufferChars);
}
