// The floor of the pump's design: read 64 bytes from standard input, write them to the log file
// named on the command line, and to a fully buffered standard output, until the input ends.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const int log = open(argv[1], O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (log < 0) return 1;
    std::setvbuf(stdout, nullptr, _IOFBF, 4096);
    char chunk[64];
    for (ssize_t count; (count = read(0, chunk, sizeof chunk)) > 0;) {
        if (write(log, chunk, static_cast<std::size_t>(count)) != count) return 1;
        std::fwrite(chunk, 1, static_cast<std::size_t>(count), stdout);
    }
    return 0;
}
