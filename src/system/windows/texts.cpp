// Message catalogs are resource-only libraries beside the utility, and texts go between the
// program's code page (the ANSI one: UTF-8 where the manifest applies, 1252 or another before) and
// the others Windows shows them in.
#include "system/texts.h"

#include <algorithm>

#include "system/windows/win32.h"

namespace {
constexpr char kCatalogFile[] = "tarvmsg.dll";

HMODULE asLibrary(const sys::Catalog* catalog) {
    return reinterpret_cast<HMODULE>(const_cast<sys::Catalog*>(catalog));
}

// The folder of the utility's own file, with its separator; empty when it cannot be named.
template <typename Char, typename Query>
std::basic_string<Char> ownFolder(Query query) {
    Char path[MAX_PATH];
    const DWORD length = query(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return {};
    const std::basic_string<Char> self(path, length);
    return self.substr(0, self.rfind(Char('\\')) + 1);
}

// The wide calls name any folder, whatever the ANSI code page holds (the UTF-8 manifest applies
// from Windows 10 version 1903 on); Windows 95, 98 and ME have only failing stubs of them, and
// there the ANSI calls do. Our paths are ASCII: each char widens as it stands.
HMODULE loadOwnLibrary(const std::string& path) {
    const std::wstring wide = ownFolder<wchar_t>(GetModuleFileNameW);
    if (!wide.empty()) {
        const HMODULE library =
            LoadLibraryW((wide + std::wstring(path.begin(), path.end())).c_str());
        if (library || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return library;
    }
    const std::string folder = ownFolder<char>(GetModuleFileNameA);
    return folder.empty() ? nullptr : LoadLibraryA((folder + path).c_str());
}

// The interface language where Windows has one (ME, 2000 on), else the user's. It is looked up:
// importing GetUserDefaultUILanguage would keep the utility from loading on Windows 95.
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

// A string table entry as stored: UTF-16, in blocks of 16, each a length and that many
// characters. Every step is bounded by the block, so a damaged library cannot lead us astray.
std::wstring storedText(HMODULE library, UINT id) {
    const HRSRC block = FindResourceA(library, MAKEINTRESOURCEA(id / 16 + 1), RT_STRING);
    const HGLOBAL loaded = block ? LoadResource(library, block) : nullptr;
    const auto* entry = static_cast<const WCHAR*>(loaded ? LockResource(loaded) : nullptr);
    if (!entry) return {};
    const WCHAR* const end = entry + SizeofResource(library, block) / sizeof(WCHAR);
    for (UINT skipped = 0; entry < end && skipped < id % 16; ++skipped) entry += 1 + *entry;
    if (entry >= end || *entry >= end - entry) return {};
    return std::wstring(entry + 1, *entry);
}

// Lines end with CR LF; a text that has them already (a system text) keeps them as they are.
std::string withLineEnds(const std::string& text) {
    std::string ended;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\n' && (at == 0 || text[at - 1] != '\r')) ended += '\r';
        ended += text[at];
    }
    return ended;
}

// Of UTF-8 bytes, all but a sequence that the next bytes complete: its lead byte is among the last
// three, and fewer bytes follow it than it announces.
std::size_t wholeInUtf8(const char* bytes, std::size_t count) {
    for (std::size_t back = 1; back <= 3 && back <= count; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[count - back]);
        if ((byte & 0xC0) == 0x80) continue;
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? count - back : count;
    }
    return count;
}
}  // namespace

// Each conversion is asked for its length, then made. Empty when it fails.
std::wstring sys::widened(const std::string& text, UINT codePage) {
    const int length = static_cast<int>(text.size());
    std::wstring wide(MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0), L'\0');
    if (wide.empty()) return wide;
    MultiByteToWideChar(codePage, 0, text.data(), length, &wide[0], static_cast<int>(wide.size()));
    return wide;
}

std::string sys::narrowed(const std::wstring& wide, UINT codePage) {
    const int length = static_cast<int>(wide.size());
    std::string text(
        WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr), '\0');
    if (text.empty()) return text;
    WideCharToMultiByte(codePage, 0, wide.data(), length, &text[0], static_cast<int>(text.size()),
                        nullptr, nullptr);
    return text;
}

bool sys::holds(UINT codePage, const std::vector<std::wstring>& texts) {
    for (const std::wstring& text : texts) {
        if (widened(narrowed(text, codePage), codePage) != text) return false;
    }
    return true;
}

// Loading a library runs its code: it is loaded by its full path, never found on the search path.
const sys::Catalog* sys::loadCatalog(const char*, const std::string& path) {
    return reinterpret_cast<const Catalog*>(loadOwnLibrary(path));
}

// Whether it could be freed or not, it is not used.
void sys::freeCatalog(const Catalog* catalog) {
    FreeLibrary(asLibrary(catalog));
}

std::vector<std::string> sys::catalogPaths() {
    return {kCatalogFile};
}

// Each translation is a library of its own in a folder named for its language beside the utility
// (de, pt-BR), chosen here rather than by LoadString among the languages of one library, whose
// choice differs between Windows 95, NT 4, 2000 and later. The language with its country, then
// alone.
std::vector<std::string> sys::translations() {
    const LANGID language = userLanguage();
    const std::string name = isoName(language, LOCALE_SISO639LANGNAME);
    const std::string country = isoName(language, LOCALE_SISO3166CTRYNAME);
    std::vector<std::string> libraries;
    if (name.empty()) return libraries;
    if (!country.empty()) libraries.push_back(name + "-" + country + "\\" + kCatalogFile);
    libraries.push_back(name + "\\" + kCatalogFile);
    return libraries;
}

// Texts are shown in the program's code page and, with a console, in its output code page too:
// LoadStringA and the conversions would lose a character that either lacks.
bool sys::showsWhole(const Catalog* catalog, unsigned lastId) {
    std::vector<std::wstring> texts;
    for (UINT id = 1; id <= lastId; ++id) texts.push_back(storedText(asLibrary(catalog), id));
    const UINT console = GetConsoleOutputCP();
    return holds(CP_ACP, texts) && (console == 0 || holds(console, texts));
}

// LoadStringA may empty the buffer of a text it lacks: it loads into one of our own.
int sys::loadText(const Catalog* catalog, unsigned id, char* buffer, int size) {
    if (size <= 0) return 0;
    std::string text(static_cast<std::size_t>(size), '\0');
    const int length = LoadStringA(asLibrary(catalog), id, &text[0], size);
    if (length <= 0) return 0;
    text.copy(buffer, static_cast<std::size_t>(length) + 1);
    return length;
}

// The console shows bytes in its own code page (850, 437, 932 ...), which belongs to the shell
// too and is left as it is; redirected, our texts are in it too, as cmd's own output is, so that
// one file does not mix two code pages. A text that cannot be converted is written as it stands.
std::string sys::forOutput(const std::string& text) {
    const std::string ended = withLineEnds(text);
    const UINT console = GetConsoleOutputCP();
    if (console == 0 || console == GetACP() || text.empty()) return ended;
    const std::string shown = narrowed(widened(ended, CP_ACP), console);
    return shown.empty() ? ended : shown;
}

// ASCII is whole in every code page, and needs no question to the console, which is a call to its
// host each time. A lead byte of a double-byte code page may stand for a trail byte too: the bytes
// are read from the start, which is always a character's, as what was held back began one.
std::size_t sys::wholeCharacters(const char* bytes, std::size_t count) {
    if (std::all_of(bytes, bytes + count, [](char c) { return (c & 0x80) == 0; })) return count;
    const UINT console = GetConsoleOutputCP();
    if (console == CP_UTF8) return wholeInUtf8(bytes, count);
    std::size_t whole = 0;
    for (std::size_t at = 0; at < count; whole = ++at) {
        if (IsDBCSLeadByteEx(console, static_cast<BYTE>(bytes[at])) && ++at == count) break;
    }
    return whole;
}
