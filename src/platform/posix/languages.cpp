// Which translation of the message catalog speaks the user's language, as users of gettext's
// programs expect: catalogs under locale/<language>/LC_MESSAGES, and the language taken from the
// environment, which is never changed (the child and the viewer get it as it came).
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/handles.h"

namespace {
// Where catalogs are, relative to the utility: beside it in a build, under share in an install;
// then where the system keeps them.
constexpr const char* kPlaces[] = {"locale/", "../share/locale/", "/usr/share/locale/"};

// The C and POSIX locales are English whatever LANGUAGE says, as gettext has it; C.UTF-8 is not
// one of them.
bool ignoresLanguage(const std::string& locale) {
    return locale.empty() || locale == "C" || locale == "POSIX";
}

const char* languageList() {
    const char* list = std::getenv("LANGUAGE");
    return list && *list ? list : nullptr;
}

// Whether no catalog can change a text, so that the locale need not even be read: the locale of
// messages that setlocale would take from the environment (LC_ALL, else LC_MESSAGES, else LANG)
// ignores LANGUAGE, or is a C locale (C.UTF-8) with no LANGUAGE to name a language.
bool englishWhatever() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* name = std::getenv(variable);
        if (!name || !*name) continue;
        return ignoresLanguage(name) || (std::strncmp(name, "C.", 2) == 0 && !languageList());
    }
    return true;
}

// The locale names to try, best first: LANGUAGE's list, as gettext takes it, else the locale of
// messages that setlocale found. A locale that is not there is C's, which ignores LANGUAGE.
std::vector<std::string> localeNames() {
    const char* messages = std::setlocale(LC_MESSAGES, nullptr);
    if (englishWhatever() || !messages || ignoresLanguage(messages)) return {};
    const std::string names = languageList() ? languageList() : messages;
    std::vector<std::string> found;
    for (std::size_t start = 0, end; start <= names.size(); start = end + 1) {
        end = std::min(names.find(':', start), names.size());
        if (end > start) found.push_back(names.substr(start, end - start));
    }
    return found;
}

// de_AT.UTF-8@euro: de_AT, then de.
std::vector<std::string> languagesOf(const std::string& name) {
    const std::string language = name.substr(0, name.find_first_of(".@"));
    const std::size_t country = language.find('_');
    if (country == std::string::npos) return {language};
    return {language, language.substr(0, country)};
}
}  // namespace

// Setting a locale costs a start-up some files, so it is set only where it can change a text, and
// only the two categories that matter: the texts' language and their character set. Either fails
// only for a locale that is not there, which then is C's: English.
void posix::takeLocale() {
    if (englishWhatever()) return;
    std::setlocale(LC_CTYPE, "");
    std::setlocale(LC_MESSAGES, "");
}

std::vector<std::string> platform::translations() {
    std::vector<std::string> catalogs;
    for (const std::string& name : localeNames()) {
        for (const std::string& language : languagesOf(name)) {
            const std::string file = language + "/LC_MESSAGES/" + kMessageLibraryFile;
            for (const char* place : kPlaces) catalogs.push_back(place + file);
        }
    }
    return catalogs;
}
