// The one header that knows which platform this is. Program code is written against the Win32
// names as Windows spells them; on Windows they come from <windows.h>, elsewhere from the small
// layer in posix/. The few things that differ in kind live in namespace platform.
#pragma once

#include <string>
#include <vector>

#ifdef _WIN32

#include <windows.h>

#include <cstdlib>

namespace platform {
inline constexpr char kExecutableSuffix[] = ".exe";
inline constexpr char kPathSeparator[] = "\\";
inline constexpr const char* kTempVariables[] = {"TEMP", "TMP"};
// With no variable present, the log goes to the current directory: nothing before its name.
inline constexpr char kDefaultTempDirectory[] = "";
inline constexpr char kDefaultViewer[] = "notepad";
inline constexpr char kMessageLibraryFile[] = "tarvmsg.dll";

inline void prepareProcess() {}

// An aborted console read is an interrupt here: Windows has no job control.
inline constexpr bool kStopsAbandonReads = false;

// Whether the runtime's last failed write found nobody reading: Windows fails a write to a pipe
// whose reader has closed it with ERROR_NO_DATA, ERROR_BROKEN_PIPE or, under wine,
// ERROR_PIPE_NOT_CONNECTED; msvcrt maps none of them to EPIPE, but keeps the code in _doserrno.
inline bool writeFoundNoReader() {
    return _doserrno == ERROR_NO_DATA || _doserrno == ERROR_BROKEN_PIPE ||
           _doserrno == ERROR_PIPE_NOT_CONNECTED;
}

// The text, from the program's code page, in the console's output code page (code_pages.cpp).
std::string inConsoleCodePage(const std::string& text);
}  // namespace platform

#else

#include "platform/posix/win32.h"

namespace platform {
inline constexpr char kExecutableSuffix[] = "";
inline constexpr char kPathSeparator[] = "/";
inline constexpr const char* kTempVariables[] = {"TEMP", "TMP", "TMPDIR"};
// With no variable present, the log goes where POSIX programs put temporary files (P_tmpdir),
// not into whatever directory the user happens to be in. Joined as it stands, separator and all.
inline constexpr char kDefaultTempDirectory[] = "/tmp/";
inline constexpr char kDefaultViewer[] = "vi";
inline constexpr char kMessageLibraryFile[] = "tarvmsg.cat";

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

// A stop (job control) abandons a read of the terminal with ERROR_OPERATION_ABORTED.
inline constexpr bool kStopsAbandonReads = true;

// Whether the runtime's last failed write found nobody reading (EPIPE, as SIGPIPE is ignored).
inline bool writeFoundNoReader() {
    return errno == EPIPE;
}

// A terminal shows the locale's character set, which the texts are in already.
inline std::string inConsoleCodePage(const std::string& text) {
    return text;
}
}  // namespace platform

#endif

namespace platform {
// The libraries that translate the message library into the user's language, best first, by
// their full paths: in folders beside the utility (directory, which ends in a separator), or
// where the system keeps them.
std::vector<std::string> translations(const std::string& directory);
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
}  // namespace platform
