// Which translation of the message library speaks the user's language. Each is a library of its
// own in a folder named for its language beside the utility (de, pt-BR), chosen here rather than
// by LoadString among the languages of one library, whose choice differs between Windows 95,
// NT 4, 2000 and later.
#include <string>
#include <vector>

#include "platform/platform.h"

namespace {
// The user's interface language where Windows has one (ME, 2000 and later), else the user's
// language. GetUserDefaultUILanguage is looked up: importing it would keep the utility from
// loading on Windows 95.
LANGID userLanguage() {
    using Query = LANGID(WINAPI*)();
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
        kernel ? GetProcAddress(kernel, "GetUserDefaultUILanguage") : nullptr));
    return query ? query() : GetUserDefaultLangID();
}

// An ISO name of the language's (de) or its country's (AT); empty where Windows has none, as
// Windows 95 has not.
std::string isoName(LANGID language, LCTYPE which) {
    char name[16];
    const int length = GetLocaleInfoA(MAKELCID(language, SORT_DEFAULT), which, name, sizeof name);
    return length > 1 ? std::string(name, length - 1) : "";
}
}  // namespace

// The language with its country, then alone.
std::vector<std::string> platform::translations() {
    const LANGID language = userLanguage();
    const std::string name = isoName(language, LOCALE_SISO639LANGNAME);
    const std::string country = isoName(language, LOCALE_SISO3166CTRYNAME);
    std::vector<std::string> libraries;
    if (name.empty()) return libraries;
    if (!country.empty()) libraries.push_back(name + "-" + country + "\\");
    libraries.push_back(name + "\\");
    for (std::string& library : libraries) library += kMessageLibraryFile;
    return libraries;
}
