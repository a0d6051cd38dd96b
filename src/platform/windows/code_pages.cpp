// Texts between the program's code page (the ANSI one: UTF-8 where the manifest applies, 1252 or
// another before) and the others Windows shows them in.
#include <string>

#include "platform/platform.h"

namespace {
// Each conversion is asked for its length, then made. Empty when it fails.
std::wstring widened(const std::string& text, UINT codePage) {
    const int length = static_cast<int>(text.size());
    std::wstring wide(MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0), L'\0');
    if (wide.empty()) return wide;
    MultiByteToWideChar(codePage, 0, text.data(), length, &wide[0], static_cast<int>(wide.size()));
    return wide;
}

std::string narrowed(const std::wstring& wide, UINT codePage) {
    const int length = static_cast<int>(wide.size());
    std::string text(
        WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr), '\0');
    if (text.empty()) return text;
    WideCharToMultiByte(codePage, 0, wide.data(), length, &text[0], static_cast<int>(text.size()),
                        nullptr, nullptr);
    return text;
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
}  // namespace

// The console shows bytes in its own code page (850, 437, 932 ...), which belongs to the shell
// too and is left as it is. A text that cannot be converted is written as it stands.
std::string platform::inConsoleCodePage(const std::string& text) {
    const UINT console = GetConsoleOutputCP();
    if (console == 0 || console == GetACP() || text.empty()) return text;
    const std::string shown = narrowed(widened(text, CP_ACP), console);
    return shown.empty() ? text : shown;
}

// LoadStringA gives a character the code page lacks as a question mark: each text must come
// back unchanged from it.
bool platform::showsWhole(HMODULE library, UINT lastId) {
    if (GetACP() == CP_UTF8) return true;
    for (UINT id = 1; id <= lastId; ++id) {
        const std::wstring text = storedText(library, id);
        if (widened(narrowed(text, CP_ACP), CP_ACP) != text) return false;
    }
    return true;
}
