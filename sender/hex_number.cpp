#include "hex_number.h"

#include <optional>

namespace morvale {

namespace {

std::optional<std::uint32_t> hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return std::nullopt;
}

}  // namespace

std::string formatHex(std::int32_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    auto bits = static_cast<std::uint32_t>(value);
    std::string text;
    do {
        text.insert(text.begin(), kDigits[bits & 0xF]);
        bits >>= 4;
    } while (bits != 0);
    return text;
}

std::int32_t readHex(std::string_view text) {
    std::uint32_t value = 0;
    for (const char c : text) {
        const auto digit = hexDigitValue(c);
        if (!digit) {
            break;
        }
        // Shifting in 32 bits keeps exactly the last eight digits.
        value = (value << 4) | *digit;
    }
    return static_cast<std::int32_t>(value);
}

std::optional<std::uint16_t> readAddress(std::string_view text) {
    const auto begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view digits = text.substr(begin, text.find_last_not_of(' ') + 1 - begin);
    if (digits.size() > 4 ||
        digits.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(readHex(digits));
}

std::array<std::uint8_t, 2> hexField16(std::int32_t value) {
    std::string field = formatHex(value);
    if (field.size() < 4) {
        field.insert(0, 4 - field.size(), '0');
    }
    field.resize(4);
    const auto high = static_cast<std::uint8_t>(readHex(field.substr(0, 2)));
    const auto low = static_cast<std::uint8_t>(readHex(field.substr(2, 2)));
    return {low, high};
}

}  // namespace morvale
