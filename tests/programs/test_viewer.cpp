// A viewer for the tests, started as "<viewer> [tag] <file>". It waits a moment, so that a
// utility that does not wait for it has deleted the file by then, copies the file into the
// directory $VIEWER_SEEN under its tag (its own name when it has none), and says so on its
// standard output, with what its standard handles are where the platform can tell.
#include "test_viewer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const std::string tag = argc > 2 ? argv[1] : fs::path(argv[0]).stem().string();
    std::error_code error;
    fs::copy_file(argv[argc - 1], fs::path(std::getenv("VIEWER_SEEN")) / tag,
                  fs::copy_options::overwrite_existing, error);
    std::printf("viewer %s: copied %s%s\n", tag.c_str(), error ? "no" : "yes",
                standardHandles().c_str());
}
