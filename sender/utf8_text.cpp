#include "utf8_text.h"

namespace morvale {

namespace {

// The length of the valid sequence starting at bytes[i] and its character;
// 0 when no valid sequence starts there.
int decodeOne(std::span<const std::uint8_t> bytes, std::size_t i, char32_t& character) {
    const std::uint8_t lead = bytes[i];
    int length = 0;
    char32_t lowest = 0;
    if (lead < 0x80) {
        character = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        character = lead & 0x1F;
        lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        character = lead & 0x0F;
        lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        character = lead & 0x07;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() - i < static_cast<std::size_t>(length)) {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        const std::uint8_t next = bytes[i + k];
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        character = (character << 6) | (next & 0x3F);
    }
    if (character < lowest || character > 0x10FFFF ||
        (character >= 0xD800 && character <= 0xDFFF)) {
        return 0;
    }
    return length;
}

}  // namespace

std::optional<std::string> latin1FromUtf8(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size());
    bool multiByte = false;
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t character = 0;
        const int length = decodeOne(bytes, i, character);
        if (length == 0) {
            return std::nullopt;
        }
        if (length > 1) {
            multiByte = true;
        }
        if (!(i == 0 && character == 0xFEFF)) {
            text.push_back(character <= 0xFF ? static_cast<char>(character) : '?');
        }
        i += static_cast<std::size_t>(length);
    }
    if (!multiByte) {
        return std::nullopt;
    }
    return text;
}

}  // namespace morvale
