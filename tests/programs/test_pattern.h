#pragma once

#include <string>

// Binary bytes that every value, zero included, appears in, and that a lost or repeated
// stretch shows up in.
inline std::string testPattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 256) % 256);
    return bytes;
}
