#include "screen.h"

#include <array>

namespace kcsim {

namespace {

constexpr std::uint8_t kCarriageReturn = 0x0D;

struct Key {
    std::uint8_t code;
    std::string_view name;
};

constexpr std::array<Key, 12> kKeys{{
    {0xF1, "[F1]"},
    {0xF2, "[F2]"},
    {0xF3, "[F3]"},
    {0xF4, "[F4]"},
    {0xF5, "[F5]"},
    {0xF6, "[F6]"},
    {0x03, "[BRK]"},
    {0x13, "[STOP]"},
    {0x1A, "[INS]"},
    {0x1F, "[DEL]"},
    {0x01, "[CLR]"},
    {0x10, "[HOME]"},
}};

bool isControl(std::uint8_t byte) {
    return byte < 0x20 || (byte >= 0x7F && byte < 0xA0);
}

void appendHex(std::uint8_t byte, std::string& out) {
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    out += '<';
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
    out += '>';
}

}  // namespace

std::optional<std::string_view> keyName(std::uint8_t byte) {
    for (const Key& key : kKeys) {
        if (key.code == byte) {
            return key.name;
        }
    }
    return std::nullopt;
}

void Screen::draw(std::uint8_t byte, std::string& out) {
    if (byte == kCarriageReturn) {
        out += '\n';
        atLineStart_ = true;
        return;
    }
    atLineStart_ = false;
    if (const auto name = keyName(byte)) {
        out += *name;
    } else if (isControl(byte)) {
        appendHex(byte, out);
    } else if (byte < 0x80) {
        out += static_cast<char>(byte);
    } else {
        // Latin-1 is the first 256 code points of Unicode: two UTF-8 bytes.
        out += static_cast<char>(0xC0 | (byte >> 6));
        out += static_cast<char>(0x80 | (byte & 0x3F));
    }
}

void Screen::endLine(std::string& out) {
    if (!atLineStart_) {
        out += '\n';
        atLineStart_ = true;
    }
}

}  // namespace kcsim
