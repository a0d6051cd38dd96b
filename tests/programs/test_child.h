// The test child's platform parts: test_child_<platform>.cpp.
#pragma once

#include <string>

// Writes every byte to standard output (1) or error (2), unchanged, exiting on failure.
void writeAll(int stream, const std::string& bytes);

// Does an action only this platform has; false when it has none by that name.
bool platformAction(const std::string& name, const std::string& value);

// TEXT with its escapes turned into the bytes they stand for.
std::string unescape(const std::string& text);

// The capturing utility's log: the one log in the directory TEMP names.
std::string findLog();
