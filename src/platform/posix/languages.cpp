// Which translation of the message catalog speaks the user's language, as users of gettext's
// programs expect: catalogs under locale/<language>/LC_MESSAGES, and the language taken from the
// environment, which is never changed (the child and the viewer get it as it came).
#include <langinfo.h>

#include <clocale>
#include <cstdlib>
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

// The locale of messages that setlocale takes from the environment: LC_ALL, else LC_MESSAGES,
// else LANG; empty with none.
std::string messagesLocale() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* name = std::getenv(variable);
        if (name && *name) return name;
    }
    return "";
}

// Whether no catalog can change a text, so that the locale need not even be read: the locale of
// messages ignores LANGUAGE, or is a C locale (C.UTF-8) with no LANGUAGE to name a language.
bool englishWhatever() {
    const std::string name = messagesLocale();
    return ignoresLanguage(name) || (name.compare(0, 2, "C.") == 0 && !languageList());
}

// Whether the locale of messages was taken: a locale that is not there is C's, which ignores
// LANGUAGE. Its name is the environment's, since musl calls C.UTF-8's messages C's.
bool messagesTaken = false;

// The locale names to try, best first: LANGUAGE's list, as gettext takes it, else the locale of
// messages.
std::vector<std::string> localeNames() {
    if (!messagesTaken) return {};
    const std::string names = languageList() ? languageList() : messagesLocale();
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
    messagesTaken = std::setlocale(LC_MESSAGES, "") != nullptr;
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

// musl knows no character set but UTF-8 and names no other, yet the utility may run where the
// locale's name says another (de_DE.ISO-8859-1 on a glibc system, whose terminal shows Latin-1):
// the codeset the name gives is taken where it gives one.
std::string posix::localeCharset() {
    const std::string name = std::setlocale(LC_CTYPE, nullptr);
    const std::size_t dot = name.find('.');
    if (dot == std::string::npos) return nl_langinfo(CODESET);
    const std::string codeset = name.substr(dot + 1, name.find('@', dot) - dot - 1);
    return codeset == "utf8" || codeset == "utf-8" || codeset == "UTF8" ? "UTF-8" : codeset;
}
