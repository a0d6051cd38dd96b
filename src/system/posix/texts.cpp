// Catalogs as the build writes them (messages/message_source.cmake): a line for each text, its
// id, a tab and the text, in UTF-8; the X/Open catalogs of one C library are not another's. The
// language is chosen as gettext chooses it, from an environment that is never changed.
#include "system/texts.h"

#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "system/posix/posix.h"

namespace sys {

struct Catalog {
    std::map<unsigned, std::string> texts;
};

namespace {
constexpr char kCatalogFile[] = "tarvmsg.cat";

bool readWhole(const char* path, std::string& content) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char bytes[4096];
    ssize_t count;
    while ((count = read(fd, bytes, sizeof bytes)) > 0 || (count < 0 && errno == EINTR))
        content.append(bytes, static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
    close(fd);
    return count == 0;
}

// Every line a text, the last one ended too; an id has at most nine digits, so that any fits.
bool readTexts(const std::string& content, Catalog& catalog) {
    for (std::size_t start = 0, end; start < content.size(); start = end + 1) {
        end = content.find('\n', start);
        const std::size_t tab = content.find('\t', start);
        if (end == std::string::npos || tab > end) return false;
        const std::string id = content.substr(start, tab - start);
        if (id.empty() || id.size() > 9 || id.find_first_not_of("0123456789") != std::string::npos)
            return false;
        catalog.texts[static_cast<unsigned>(std::stoul(id))] =
            content.substr(tab + 1, end - tab - 1);
    }
    return true;
}

// A list of names between colons, empty ones left out.
std::vector<std::string> namesIn(const std::string& list) {
    std::vector<std::string> names;
    for (std::size_t start = 0, end; start <= list.size(); start = end + 1) {
        end = std::min(list.find(':', start), list.size());
        if (end > start) names.push_back(list.substr(start, end - start));
    }
    return names;
}

// The folder of the file we were started from, as git finds its runtime prefix: argv[0] when it
// is a path, else the program of that name that a shell ran from PATH; links resolved, since the
// catalogs are beside the file itself. No /proc is needed, which a chroot or a container may lack.
std::string ownFolder(const std::string& program) {
    const std::string path = posix::programFile(program);
    char resolved[PATH_MAX];
    if (path.empty() || !realpath(path.c_str(), resolved)) return "";
    const std::string self = resolved;
    return self.substr(0, self.rfind('/') + 1);
}

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

// Whether the locale of messages was taken: one that is not there is C's, which ignores
// LANGUAGE. Its name is the environment's, since musl calls C.UTF-8's messages C's.
bool messagesTaken = false;

// LANGUAGE's list, as gettext takes it, else the locale of messages.
std::vector<std::string> localeNames() {
    if (!messagesTaken) return {};
    return namesIn(languageList() ? languageList() : messagesLocale());
}

// de_AT.UTF-8@euro: de_AT, then de.
std::vector<std::string> languagesOf(const std::string& name) {
    const std::string language = name.substr(0, name.find_first_of(".@"));
    const std::size_t country = language.find('_');
    if (country == std::string::npos) return {language};
    return {language, language.substr(0, country)};
}

// musl names no character set but UTF-8, yet a glibc system's locale may be de_DE.ISO-8859-1,
// its terminal Latin-1: the codeset the locale's name gives is taken where it gives one.
std::string localeCharset() {
    const std::string name = std::setlocale(LC_CTYPE, nullptr);
    const std::size_t dot = name.find('.');
    if (dot == std::string::npos) return nl_langinfo(CODESET);
    const std::string codeset = name.substr(dot + 1, name.find('@', dot) - dot - 1);
    return codeset == "utf8" || codeset == "utf-8" || codeset == "UTF8" ? "UTF-8" : codeset;
}

// Catalogs are UTF-8; the locale may have another character set. A text that cannot be given
// whole in it is not given at all: false.
bool inLocaleCharset(const std::string& text, std::string& converted) {
    converted = text;
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const std::string charset = ascii ? "" : localeCharset();
    if (ascii || charset == "UTF-8") return true;
    const iconv_t conversion = iconv_open(charset.c_str(), "UTF-8");
    if (conversion == reinterpret_cast<iconv_t>(-1)) return false;
    std::string output(4 * text.size(), '\0');
    char* in = &converted[0];
    char* out = &output[0];
    std::size_t inLeft = converted.size();
    std::size_t outLeft = output.size();
    // Anything but 0 leaves a character out: -1, or musl's count of characters it replaced.
    const bool whole = iconv(conversion, &in, &inLeft, &out, &outLeft) == 0;
    iconv_close(conversion);
    converted = output.substr(0, output.size() - outLeft);
    return whole;
}
}  // namespace

// Setting a locale costs a start-up some files: only where it can change a text, and only the
// two categories that matter. A locale that is not there is C's: English.
void posix::takeLocale() {
    const std::string name = messagesLocale();
    if (ignoresLanguage(name) || (name.compare(0, 2, "C.") == 0 && !languageList())) return;
    std::setlocale(LC_CTYPE, "");
    messagesTaken = std::setlocale(LC_MESSAGES, "") != nullptr;
}

// Beside the utility in a build, under share in an install; then under the install prefix.
std::vector<std::string> catalogPaths() {
    return {kCatalogFile, std::string("../share/tarvix/") + kCatalogFile,
            TARVIX_PREFIX "/share/tarvix/" + std::string(kCatalogFile)};
}

std::vector<std::string> translations() {
    std::vector<std::string> catalogs;
    for (const std::string& name : localeNames()) {
        for (const std::string& language : languagesOf(name)) {
            const std::string file = language + "/LC_MESSAGES/" + kCatalogFile;
            for (const char* place :
                 {"locale/", "../share/locale/", TARVIX_PREFIX "/share/locale/"})
                catalogs.push_back(place + file);
        }
    }
    return catalogs;
}

// Exactly the catalog at that path; a file that is no such catalog is none.
const Catalog* loadCatalog(const char* program, const std::string& path) {
    static const std::string folder = ownFolder(program ? program : "");
    if (path[0] != '/' && folder.empty()) return nullptr;
    std::string content;
    if (!readWhole((path[0] == '/' ? path : folder + path).c_str(), content)) return nullptr;
    auto* catalog = new Catalog;
    if (readTexts(content, *catalog)) return catalog;
    delete catalog;
    return nullptr;
}

void freeCatalog(const Catalog* catalog) {
    delete catalog;
}

bool showsWhole(const Catalog* catalog, unsigned lastId) {
    std::string converted;
    for (unsigned id = 1; id <= lastId; ++id) {
        const auto found = catalog->texts.find(id);
        if (found != catalog->texts.end() && !inLocaleCharset(found->second, converted))
            return false;
    }
    return true;
}

int loadText(const Catalog* catalog, unsigned id, char* buffer, int size) {
    const auto found = catalog->texts.find(id);
    std::string converted;
    if (found == catalog->texts.end() || !inLocaleCharset(found->second, converted)) return 0;
    const int length =
        std::snprintf(buffer, static_cast<std::size_t>(size), "%s", converted.c_str());
    return std::min(length, size - 1);
}

// A terminal shows the locale's character set, which the texts are in already, and a line feed
// ends a line.
std::string forOutput(const std::string& text) {
    return text;
}

// A terminal puts a character's bytes together itself.
std::size_t wholeCharacters(const char*, std::size_t count) {
    return count;
}

}  // namespace sys
