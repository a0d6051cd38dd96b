#include "interaction/messages.h"

#include <string>

HMODULE messageLibrary = nullptr;

bool loadMessageLibrary() {
    messageLibrary = LoadLibraryA("tarvmsg");
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
