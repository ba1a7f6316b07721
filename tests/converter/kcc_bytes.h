// Made-up KCC files for the converter's tests.
#pragma once

#include <cstddef>
#include <string>

// `size` bytes of a KCC file whose bytes all differ from their neighbours.
inline std::string kccBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    }
    return bytes;
}
