// A viewer for the tests, started as "<viewer> [tag] <file>". It waits a moment, so that a
// utility that does not wait for it has deleted the file by then, copies the file to
// $VIEWER_COPY, and tells on its standard output who it is and what it was given.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    usleep(200 * 1000);
    std::error_code error;
    fs::copy_file(argv[argc - 1], std::getenv("VIEWER_COPY"), fs::copy_options::overwrite_existing,
                  error);
    int descriptors = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd"))
        descriptors += !entry.is_directory();
    std::printf("viewer %s as %s: copied %s, terminal %s, %d descriptors\n",
                fs::path(argv[0]).filename().c_str(), argc > 2 ? argv[1] : "-",
                error ? "no" : "yes", isatty(0) && isatty(1) && isatty(2) ? "yes" : "no",
                descriptors);
}
