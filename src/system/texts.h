#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sys {

// A message catalog: the build's catalog file on POSIX, a resource-only library's string table
// on Windows. Loaded once, kept until the process ends.
struct Catalog;

// Loads the catalog at the path relative to the utility's own folder (on POSIX, then relative to
// the install prefix, and an absolute path as it is), by its full path: a catalog that stands in
// the current folder or on PATH is never taken instead (on Windows loading a library runs its
// code). Null when there is none; program is argv[0], by which POSIX finds our folder.
const Catalog* loadCatalog(const char* program, const std::string& path);
void freeCatalog(const Catalog* catalog);
// The English catalog's file and where it is, relative to our folder, best first.
std::vector<std::string> catalogPaths();
// The translations into the user's language, best first, as loadCatalog takes their paths.
std::vector<std::string> translations();
// Whether the catalog's texts, ids 1 to lastId, all come out whole in the characters they are
// shown in: a language that cannot be shown whole is not shown at all, rather than as question
// marks.
bool showsWhole(const Catalog* catalog, unsigned lastId);
// Copies the text into the buffer, cut to fit, and returns its length; 0, leaving the buffer
// alone, for a text the catalog lacks or cannot give whole.
int loadText(const Catalog* catalog, unsigned id, char* buffer, int size);

// A text of ours as it is written out: on Windows with lines ended by CR LF and, while a console
// is attached, in its code page; on POSIX as it is.
std::string forOutput(const std::string& text);
// How much of the program's bytes a console can be given now: all but the start of a character
// that the next bytes complete (Windows; a terminal puts characters together itself).
std::size_t wholeCharacters(const std::string& bytes);

}  // namespace sys
