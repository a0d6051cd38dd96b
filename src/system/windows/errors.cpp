#include "system/errors.h"

#include "system/windows/win32.h"

long sys::lastError() {
    return static_cast<long>(GetLastError());
}

namespace {
constexpr DWORD kFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
constexpr DWORD kMostChars = 500;

// As Windows stores it, in UTF-16; Windows 95's family has only the ANSI call, whose texts are in
// its own code page already. Without inserts to give, a text that has one ("%1 is not a valid
// Win32 application.") comes as it stands, not as nothing.
std::wstring systemText(DWORD code, LANGID language) {
    wchar_t wide[kMostChars];
    DWORD length = FormatMessageW(kFlags, nullptr, code, language, wide, kMostChars, nullptr);
    if (length > 0) return std::wstring(wide, length);
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return {};
    char text[kMostChars];
    length = FormatMessageA(kFlags, nullptr, code, language, text, kMostChars, nullptr);
    return length > 0 ? sys::widened(std::string(text, length), CP_ACP) : std::wstring();
}
}  // namespace

// In the system's language, unless our code page or the console's lacks one of its characters,
// which a question mark would stand for: then in English, as our own texts are. Where even that
// cannot be shown, none: the number says what failed.
void sys::errorText(long code, char* buffer, std::size_t size) {
    if (size == 0) return;
    buffer[0] = '\0';
    const UINT console = GetConsoleOutputCP();
    for (const LANGID language : {MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)}) {
        const std::wstring text = systemText(static_cast<DWORD>(code), language);
        if (text.empty() || !holds(CP_ACP, {text}) || (console != 0 && !holds(console, {text})))
            continue;
        const std::string shown = narrowed(text, CP_ACP);
        buffer[shown.copy(buffer, size - 1)] = '\0';
        return;
    }
}

// Wine fails a write to a pipe whose reader has gone with ERROR_PIPE_NOT_CONNECTED.
bool sys::meansNoReader(long code) {
    return code == ERROR_NO_DATA || code == ERROR_BROKEN_PIPE || code == ERROR_PIPE_NOT_CONNECTED;
}
