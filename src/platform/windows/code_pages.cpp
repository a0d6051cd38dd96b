// Texts between the program's code page (the ANSI one: UTF-8 where the manifest applies, 1252 or
// another before) and the others Windows shows them in.
#include <string>
#include <vector>

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

// Lines end with CR LF; a text that has them already (a system text) keeps them as they are.
std::string withLineEnds(const std::string& text) {
    std::string ended;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\n' && (at == 0 || text[at - 1] != '\r')) ended += '\r';
        ended += text[at];
    }
    return ended;
}

// Whether each text comes back unchanged from the code page: one it lacks a character of would
// show a question mark, or a letter without its accent.
bool holds(UINT codePage, const std::vector<std::wstring>& texts) {
    for (const std::wstring& text : texts) {
        if (widened(narrowed(text, codePage), codePage) != text) return false;
    }
    return true;
}

// Of UTF-8 bytes, all but a sequence that the next bytes complete: its lead byte is among the last
// three, and fewer bytes follow it than it announces.
std::size_t wholeInUtf8(const std::string& bytes) {
    for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((byte & 0xC0) == 0x80) continue;
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? bytes.size() - back : bytes.size();
    }
    return bytes.size();
}
}  // namespace

// The console shows bytes in its own code page (850, 437, 932 ...), which belongs to the shell
// too and is left as it is; redirected, our texts are in it too, as cmd's own output is, so that
// one file does not mix two code pages. A text that cannot be converted is written as it stands.
std::string platform::forOutput(const std::string& text) {
    const std::string ended = withLineEnds(text);
    const UINT console = GetConsoleOutputCP();
    if (console == 0 || console == GetACP() || text.empty()) return ended;
    const std::string shown = narrowed(widened(ended, CP_ACP), console);
    return shown.empty() ? ended : shown;
}

// A lead byte of a double-byte code page may stand for a trail byte too: the bytes are read from
// the start, which is always a character's, as what was held back began one.
std::size_t platform::wholeCharacters(const std::string& bytes) {
    const UINT console = GetConsoleOutputCP();
    if (console == CP_UTF8) return wholeInUtf8(bytes);
    std::size_t whole = 0;
    for (std::size_t at = 0; at < bytes.size(); whole = ++at) {
        if (IsDBCSLeadByteEx(console, static_cast<BYTE>(bytes[at])) && ++at == bytes.size()) break;
    }
    return whole;
}

// Texts are shown in the program's code page and, while a console is attached, in its output
// code page too: a language that either lacks a character of is not shown at all. LoadStringA
// gives such a character as a question mark, and a conversion loses it.
bool platform::showsWhole(HMODULE library, UINT lastId) {
    std::vector<std::wstring> texts;
    for (UINT id = 1; id <= lastId; ++id) texts.push_back(storedText(library, id));
    const UINT console = GetConsoleOutputCP();
    return holds(CP_ACP, texts) && (console == 0 || holds(console, texts));
}
