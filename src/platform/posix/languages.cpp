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
constexpr const char* kPlaces[] = {"locale/", "../share/locale/"};
constexpr char kSystemPlace[] = "/usr/share/locale/";

// Whether the locale of messages that setlocale would take from the environment (LC_ALL,
// LC_MESSAGES, LANG) is C's, or POSIX's, or C.UTF-8's: English, whatever LANGUAGE says.
bool localeIsC() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* name = std::getenv(variable);
        if (!name || !*name) continue;
        return std::strcmp(name, "POSIX") == 0 || std::strcmp(name, "C") == 0 ||
               std::strncmp(name, "C.", 2) == 0;
    }
    return true;
}

// The locale names to try, best first: LANGUAGE's list, as gettext takes it, else the locale of
// messages that setlocale found.
std::vector<std::string> localeNames() {
    const char* messages = std::setlocale(LC_MESSAGES, nullptr);
    if (localeIsC() || !messages) return {};
    const std::string locale = messages;
    const char* list = std::getenv("LANGUAGE");
    std::string names = list && *list ? list : locale;
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
    if (localeIsC()) return;
    std::setlocale(LC_CTYPE, "");
    std::setlocale(LC_MESSAGES, "");
}

std::vector<std::string> platform::translations(const std::string& directory) {
    std::vector<std::string> catalogs;
    for (const std::string& name : localeNames()) {
        for (const std::string& language : languagesOf(name)) {
            const std::string file = language + "/LC_MESSAGES/" + kMessageLibraryFile;
            for (const char* place : kPlaces) catalogs.push_back(directory + place + file);
            catalogs.push_back(kSystemPlace + file);
        }
    }
    return catalogs;
}
