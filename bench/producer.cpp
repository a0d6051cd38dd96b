// Writes N bytes of binary data to standard output as fast as it can.
#include <unistd.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    std::string block(64 * 1024, '\0');
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 % 251);
    for (unsigned long long left = std::stoull(argv[1]); left > 0;) {
        const std::size_t size = left < block.size() ? left : block.size();
        const ssize_t written = write(1, block.data(), size);
        if (written <= 0) return 1;
        left -= static_cast<unsigned long long>(written);
    }
    return 0;
}
