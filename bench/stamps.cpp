// Writes N lines, one a millisecond, each holding the CLOCK_MONOTONIC time of its write in ns.
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    for (int i = std::atoi(argv[1]); i > 0; --i) {
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        const std::string line = std::to_string(now.tv_sec * 1000000000LL + now.tv_nsec) + "\n";
        if (write(1, line.data(), line.size()) < 0) return 1;
        usleep(1000);
    }
    return 0;
}
