#pragma once

#include <string>

// No Windows header: the search is tested anywhere.
namespace sys {

// The program a name stands for, found as cmd finds it: folder by folder, the current one, then
// each of path's (a name with a folder of its own is looked for there alone), and in each, the
// name as given where it already ends in one of the extensions, then the name with each of them
// in turn (with none given, those cmd tries when PATHEXT is not set). Empty when no such file
// is there.
std::string findProgram(const std::string& name, const std::string& currentFolder,
                        const std::string& path, const std::string& extensions,
                        bool (*isFile)(const std::string& path));

// Whether cmd is the one to run the file (.bat, .cmd).
bool isBatchFile(const std::string& path);

}  // namespace sys
