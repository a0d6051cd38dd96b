#include "system/windows/program_search.h"

#include <algorithm>
#include <vector>

namespace {
// What cmd tries when PATHEXT is not set.
constexpr char kDefaultExtensions[] = ".COM;.EXE;.BAT;.CMD";

// A list as PATH and PATHEXT hold one: separated by ';', a folder possibly in quotes, empty
// entries skipped.
std::vector<std::string> entries(const std::string& list) {
    std::vector<std::string> found;
    for (std::size_t start = 0, end; start <= list.size(); start = end + 1) {
        end = std::min(list.find(';', start), list.size());
        std::string entry = list.substr(start, end - start);
        entry.erase(std::remove(entry.begin(), entry.end(), '"'), entry.end());
        if (!entry.empty()) found.push_back(entry);
    }
    return found;
}

// ASCII's, as extensions are; the C library's would depend on its locale.
char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// File names are compared as Windows compares them, without regard to case.
bool endsWith(const std::string& name, const std::string& ending) {
    return name.size() >= ending.size() &&
           std::equal(ending.rbegin(), ending.rend(), name.rbegin(), [](char a, char b) {
               return lower(a) == lower(b);
           });
}

std::string joined(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '\\' || folder.back() == '/') return folder + name;
    return folder + '\\' + name;
}
}  // namespace

std::string sys::findProgram(const std::string& name, const std::string& currentFolder,
                             const std::string& path, const std::string& extensions,
                             bool (*isFile)(const std::string& path)) {
    if (name.empty()) return {};
    const std::vector<std::string> tried =
        entries(extensions.empty() ? kDefaultExtensions : extensions);
    // A name with a folder of its own is looked for there alone.
    const bool absolute = name[0] == '\\' || name[0] == '/' || name.find(':') != std::string::npos;
    std::vector<std::string> folders = {absolute ? std::string() : currentFolder};
    if (name.find_first_of("\\/:") == std::string::npos) {
        const std::vector<std::string> more = entries(path);
        folders.insert(folders.end(), more.begin(), more.end());
    }
    for (const std::string& folder : folders) {
        const std::string file = joined(folder, name);
        const bool listed = std::any_of(tried.begin(), tried.end(),
                                        [&](const std::string& ext) { return endsWith(file, ext); });
        if (listed && isFile(file)) return file;
        for (const std::string& extension : tried) {
            if (isFile(file + extension)) return file + extension;
        }
    }
    return {};
}

bool sys::isBatchFile(const std::string& path) {
    return endsWith(path, ".bat") || endsWith(path, ".cmd");
}
