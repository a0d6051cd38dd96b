#include "interaction/messages.h"

#include <string>

MessageLibrary messageLibrary;

namespace {
// The translation of the library into the user's language: none for English, for a language
// that has none here, or for one the program's character set cannot hold.
HMODULE loadTranslation() {
    for (const std::string& path : platform::translations()) {
        const HMODULE library = platform::loadOwnLibrary(path);
        if (!library) continue;
        if (platform::showsWhole(library, kLastMessageId)) return library;
        FreeLibrary(library);  // whether it could be freed or not, it is not used
    }
    return nullptr;
}
}  // namespace

bool loadMessageLibrary() {
    for (const char* place : platform::kMessageLibraryPlaces) {
        messageLibrary.english =
            platform::loadOwnLibrary(place + std::string(platform::kMessageLibraryFile));
        if (!messageLibrary.english) continue;
        messageLibrary.translation = loadTranslation();
        return true;
    }
    // The one text that cannot come from the library.
    const std::string text =
        std::string("Cannot find ") + platform::kMessageLibraryFile + ". Tarvix will now terminate";
    platform::showError(text.c_str(), "Tarvix error");
    return false;
}

void MessageLibrary::load(UINT id, MessageBuffer& buffer) const {
    buffer[0] = '\0';
    if (translation && LoadStringA(translation, id, buffer, kMessageBufferChars) > 0) return;
    LoadStringA(english, id, buffer, kMessageBufferChars);
}
