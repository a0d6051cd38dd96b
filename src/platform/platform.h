// The one header that knows which platform this is. Program code is written against the Win32
// names as Windows spells them; on Windows they come from <windows.h>, elsewhere from the small
// layer in posix/. The few things that differ in kind live in namespace platform.
#pragma once

#include <string>
#include <vector>

#ifdef _WIN32

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace platform {
// What a program named without one gets: ".exe", or where there is no such program, the first of
// PATHEXT's extensions that names one, as cmd finds build.cmd for build (program_search.cpp).
std::string executableSuffix(const std::string& program);
inline constexpr const char* kHelpOptions[] = {"--help", "/?"};
inline constexpr char kPathSeparator[] = "\\";
inline constexpr const char* kTempVariables[] = {"TEMP", "TMP"};
// With no variable present, the log goes to the current directory: nothing before its name.
inline constexpr char kDefaultTempDirectory[] = "";
inline constexpr const char* kViewerVariables[] = {"RIVEZEVEVIVA", "EDITOR"};
inline constexpr char kDefaultViewer[] = "notepad";
inline constexpr char kMessageLibraryFile[] = "tarvmsg.dll";
// Where the message library is, relative to the utility's folder.
inline constexpr const char* kMessageLibraryPlaces[] = {""};

// The box is seen only on a desktop: a user on SSH or in CI reads the text on standard error.
inline void showError(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    MessageBoxA(nullptr, text, caption, MB_ICONERROR | MB_SETFOREGROUND);
}

// Whether the console is the utility's alone, as one opened for it when it was double-clicked
// (own_console.cpp): its window closes as soon as the utility ends.
bool ownsConsoleAlone();

inline void prepareProcess() {}

// Whether a console read was cut short by an interrupt, to be read again (key_wait.cpp).
bool readCutShort(BOOL read, DWORD count);

// Whether the runtime's last failed write found nobody reading: Windows fails a write to a pipe
// whose reader has closed it with ERROR_NO_DATA, ERROR_BROKEN_PIPE or, under wine,
// ERROR_PIPE_NOT_CONNECTED; msvcrt maps none of them to EPIPE, but keeps the code in _doserrno.
inline bool writeFoundNoReader() {
    return _doserrno == ERROR_NO_DATA || _doserrno == ERROR_BROKEN_PIPE ||
           _doserrno == ERROR_PIPE_NOT_CONNECTED;
}

// A console is always the process's own: none of it is another session's.
inline bool isAnotherSessionsTerminal(HANDLE) {
    return false;
}

// Our output stream in binary mode, so that the program's bytes pass as they came: msvcrt's text
// mode would make each of its line feeds CR LF. It fails only where there is no output at all.
inline void takeBytesAsTheyCome() {
    _setmode(_fileno(stdout), _O_BINARY);
}

// A text of ours as it is written out (code_pages.cpp): lines ended with CR LF, as Windows's text
// files end them, and, while a console is attached, in its output code page rather than the
// program's, as the shell's own output is, whether the console shows it or a file keeps it.
std::string forOutput(const std::string& text);
// How much of the program's bytes the console can be given now: all but the start of a character
// that the next bytes complete (code_pages.cpp).
std::size_t wholeCharacters(const std::string& bytes);
}  // namespace platform

#else

#include "platform/posix/win32.h"

namespace platform {
// A program is named as it is: the search on PATH finds it without an extension.
inline std::string executableSuffix(const std::string&) {
    return "";
}
inline constexpr const char* kHelpOptions[] = {"--help"};
inline constexpr char kPathSeparator[] = "/";
inline constexpr const char* kTempVariables[] = {"TEMP", "TMP", "TMPDIR"};
// With no variable present, the log goes where POSIX programs put temporary files (P_tmpdir),
// not into whatever directory the user happens to be in. Joined as it stands, separator and all.
inline constexpr char kDefaultTempDirectory[] = "/tmp/";
// VISUAL, as for every program that starts an editor here.
inline constexpr const char* kViewerVariables[] = {"RIVEZEVEVIVA", "VISUAL", "EDITOR"};
inline constexpr char kDefaultViewer[] = "vi";
inline constexpr char kMessageLibraryFile[] = "tarvmsg.cat";
// Where the message catalog is, relative to the utility: beside it in a build, under share in an
// install.
inline constexpr const char* kMessageLibraryPlaces[] = {"", "../share/tarvix/"};

// The layer's box is that line on standard error already.
inline void showError(const char* text, const char* caption) {
    MessageBoxA(nullptr, text, caption, MB_ICONERROR | MB_SETFOREGROUND);
}

// A terminal stays when the utility ends.
inline bool ownsConsoleAlone() {
    return false;
}

// Readies the process for the run, before anything else opens a file:
//  - a closed standard descriptor is opened on /dev/null, since the log or a pipe end would
//    otherwise take its number and our own output would be written into it;
//  - SIGPIPE is ignored, so that a reader closing our output early cannot kill the utility
//    before it has deleted its log. Children still start with the default disposition;
//  - continues are noted, so that a read of the terminal learns that the process was stopped;
//  - a child whose handle is closed is reaped once it has ended;
//  - the locale is the environment's, for the language and character set of the texts and the
//    system's error texts; the environment itself is left as it is, for the child.
void prepareProcess();

// A read of the terminal is cut short by nothing: a stop is awaitKey's (key_wait.cpp).
inline bool readCutShort(BOOL, DWORD) {
    return false;
}

// Whether the runtime's last failed write found nobody reading (EPIPE, as SIGPIPE is ignored).
inline bool writeFoundNoReader() {
    return errno == EPIPE;
}

// Whether the input is a terminal that is not our controlling one, whose keys are not ours to take
// (console.cpp).
bool isAnotherSessionsTerminal(HANDLE input);

// Standard output has no text mode here.
inline void takeBytesAsTheyCome() {}

// A terminal shows the locale's character set, which the texts are in already, and a line feed
// ends a line.
inline std::string forOutput(const std::string& text) {
    return text;
}
// A terminal puts a character's bytes together itself.
inline std::size_t wholeCharacters(const std::string& bytes) {
    return bytes.size();
}
}  // namespace platform

#endif

namespace platform {
// Loads the library at the path relative to the utility's own folder (or, on POSIX, the absolute
// one), by its full path: loading a library runs its code, so one that stands in the current
// folder or on PATH must never be taken instead. Null when it is not there, or when the utility
// cannot name its own file.
HMODULE loadOwnLibrary(const std::string& path);
// The libraries that translate the message library into the user's language, best first, as
// loadOwnLibrary takes their paths.
std::vector<std::string> translations();
// Whether the library's texts, ids 1 to lastId, all come out whole in the program's character
// set: a language it cannot hold is not shown at all, rather than as question marks.
bool showsWhole(HMODULE library, UINT lastId);

// The pump's reads of its pipe (pipe_reader.cpp), as ReadFile reads it, its end failing with
// ERROR_BROKEN_PIPE; but whenever a read would wait for the program, beforeWaiting comes first,
// so that what our output holds goes out while the program is quiet. When beforeWaiting returns
// false, the read gives up and succeeds with nothing.
class PipeReader {
public:
    PipeReader(HANDLE pipe, bool (*beforeWaiting)()) : pipe(pipe), beforeWaiting(beforeWaiting) {}
    BOOL read(void* buffer, DWORD size, LPDWORD count);

private:
    HANDLE pipe;
    bool (*beforeWaiting)();
    bool readyToPoll = false;  // POSIX: the read end is non-blocking, made so by the first read
};

// What waiting for a console's key came to: the key may be read, or the process was stopped
// (job control, POSIX) since the prompt was shown, which is then to be shown again.
enum class KeyWait { Ready, Stopped };
// Job control's part in reading one key from a console (key_wait.cpp, one for each platform).
// Before the key mode is set: waits until the console is ours, and holds the stop key back until
// the console is released.
KeyWait holdConsole(HANDLE console);
// Once the key mode is set: waits until a key can be read, letting the stop key through
// meanwhile. A stop sets the console back to mode and releases it.
KeyWait awaitKey(HANDLE console, DWORD mode);
void releaseConsole();
}  // namespace platform
