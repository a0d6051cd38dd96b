#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sys {

// A message catalog: the build's catalog file on POSIX, a resource-only library's string table
// on Windows.
struct Catalog;

// The catalog at the path relative to our own folder (on POSIX, an absolute path as it is), by
// its full path: one in the current folder or on PATH is never taken instead (on Windows loading
// a library runs its code). Null without one. program is argv[0], by which POSIX finds our folder.
const Catalog* loadCatalog(const char* program, const std::string& path);
void freeCatalog(const Catalog* catalog);
// Where the English catalog may be, best first, as loadCatalog takes them.
std::vector<std::string> catalogPaths();
// The translations into the user's language, best first.
std::vector<std::string> translations();
// Whether texts 1 to lastId all come out whole in the characters they are shown in: a language
// that cannot be shown whole is not shown at all, rather than as question marks.
bool showsWhole(const Catalog* catalog, unsigned lastId);
// The text, cut to fit the buffer, and its length; 0, the buffer alone, for one it lacks.
int loadText(const Catalog* catalog, unsigned id, char* buffer, int size);

// A text of ours as it is written out: on Windows with CR LF and, while a console is attached,
// in its code page.
std::string forOutput(const std::string& text);
// How much of the program's bytes a console can be given now: all but the start of a character
// that the next bytes complete (Windows; a terminal puts characters together itself).
std::size_t wholeCharacters(const char* bytes, std::size_t count);

}  // namespace sys
