#include "interaction/messages.h"

#include <string>

HMODULE messageLibrary = nullptr;

namespace {
// The translation of the library into the user's language: none for English, for a language
// that has none here, or for one the program's character set cannot hold.
HMODULE translation = nullptr;

// The utility's own folder, with its separator: libraries are loaded from there by their full
// paths, as loading a library runs its code, so one that stands in the current folder or on PATH
// must never be taken instead. Empty when the utility cannot name its own file.
std::string ourFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return "";
    const std::string self(path, length);
    return self.substr(0, self.rfind(platform::kPathSeparator) + 1);
}

HMODULE loadTranslation(const std::string& folder) {
    for (const std::string& path : platform::translations(folder)) {
        const HMODULE library = LoadLibraryA(path.c_str());
        if (!library) continue;
        if (platform::showsWhole(library, kLastMessageId)) return library;
        FreeLibrary(library);  // whether it could be freed or not, it is not used
    }
    return nullptr;
}
}  // namespace

bool loadMessageLibrary() {
    const std::string folder = ourFolder();
    if (!folder.empty()) {
        messageLibrary = LoadLibraryA((folder + platform::kMessageLibraryFile).c_str());
    }
    if (messageLibrary) {
        translation = loadTranslation(folder);
        return true;
    }
    // The one text that cannot come from the library.
    const std::string text =
        std::string("Cannot find ") + platform::kMessageLibraryFile + ". Tarvix will now terminate";
    MessageBoxA(nullptr, text.c_str(), "Tarvix error", MB_ICONERROR | MB_SETFOREGROUND);
    return false;
}

void loadMessage(HMODULE library, UINT id, MessageBuffer& buffer) {
    buffer[0] = '\0';
    if (translation && LoadStringA(translation, id, buffer, kMessageBufferChars) > 0) return;
    LoadStringA(library, id, buffer, kMessageBufferChars);
}
