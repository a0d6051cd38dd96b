#pragma once

namespace sys {

// Readies the process before anything else opens a file or starts a process (POSIX: a closed
// standard descriptor is opened on /dev/null, so that the log never takes its number; SIGPIPE is
// ignored, so that a reader closing our output early cannot end us before the log is deleted;
// endings, stops and children are watched; the locale is the environment's).
void prepareProcess();

enum class Family { Supported, Unsupported, Unknown };
// The platform's family: Windows 95's and NT's run, Win32s does not; Unknown when the version
// query failed. Every POSIX system is supported.
Family platformFamily();
// Says what ends the utility before it could start: a line on standard error and, on Windows, a
// message box, for a user at the desktop.
void showError(const char* text, const char* caption);

// The options that ask for the usage (--help; /? on Windows), null-terminated.
extern const char* const kHelpOptions[];
// The variables that name the viewer, best first, null-terminated, and the viewer without them.
extern const char* const kViewerVariables[];
extern const char kDefaultViewer[];

}  // namespace sys
