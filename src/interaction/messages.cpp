#include "interaction/messages.h"

#include <string>

#include "system/platform.h"

MessageLibrary messageLibrary;

namespace {
// The translation of the library into the user's language: none for English, for a language
// that has none here, or for one that cannot be shown whole.
const sys::Catalog* loadTranslation(const char* program) {
    for (const std::string& path : sys::translations()) {
        const sys::Catalog* catalog = sys::loadCatalog(program, path);
        if (!catalog) continue;
        if (sys::showsWhole(catalog, kLastMessageId)) return catalog;
        sys::freeCatalog(catalog);
    }
    return nullptr;
}
}  // namespace

bool loadMessageLibrary(const char* program) {
    const std::vector<std::string> paths = sys::catalogPaths();
    for (const std::string& path : paths) {
        messageLibrary.english = sys::loadCatalog(program, path);
        if (!messageLibrary.english) continue;
        messageLibrary.translation = loadTranslation(program);
        return true;
    }
    // The one text that cannot come from the library.
    const std::string text = "Cannot find " + paths[0] + ". Tarvix will now terminate";
    sys::showError(text.c_str(), "Tarvix error");
    return false;
}

void MessageLibrary::load(unsigned id, MessageBuffer& buffer) const {
    buffer[0] = '\0';
    if (translation && sys::loadText(translation, id, buffer, kMessageBufferChars) > 0) return;
    sys::loadText(english, id, buffer, kMessageBufferChars);
}

unsigned platformRefusal(sys::Family family) {
    if (family == sys::Family::Supported) return 0;
    return family == sys::Family::Unknown ? IDS_VERSION_QUERY_FAILED : IDS_PLATFORM_UNSUPPORTED;
}

bool checkPlatform(const MessageLibrary& library) {
    const unsigned refusal = platformRefusal(sys::platformFamily());
    if (refusal == 0) return true;
    MessageBuffer text;
    MessageBuffer caption;
    library.load(refusal, text);
    library.load(IDS_PLATFORM_CAPTION, caption);
    sys::showError(text, caption);
    return false;
}
