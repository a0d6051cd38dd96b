#pragma once

namespace sys {

// Readies the process before anything else opens a file or starts a process.
void prepareProcess();

enum class Family { Supported, Unsupported, Unknown };
// Windows 95's and NT's families run, Win32s does not; Unknown when the version query failed.
Family platformFamily();
// Says what ends the utility before it could start: a line on standard error and, on Windows, a
// message box, for a user at the desktop.
void showError(const char* text, const char* caption);

// Null-terminated: the options that ask for the usage, and the variables that name the viewer,
// best first; then the viewer without them.
extern const char* const kHelpOptions[];
extern const char* const kViewerVariables[];
extern const char kDefaultViewer[];

}  // namespace sys
