// Small models of the rules the targets check, each written from the rule
// itself and sharing nothing with the code under test.
#pragma once

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

// Lower-casing of Latin-1 bytes: A-Z and 0xC0-0xDE (0xD7 too) become their
// small letters, 0x20 further up; every other byte stays.
inline unsigned char lowerByte(unsigned char c) {
    if (('A' <= c && c <= 'Z') || (0xC0 <= c && c <= 0xDE)) {
        return c + 0x20;
    }
    return c;
}

// Upper-casing: a-z and 0xE0-0xFF go 0x20 down.
inline unsigned char upperByte(unsigned char c) {
    if (('a' <= c && c <= 'z') || c >= 0xE0) {
        return c - 0x20;
    }
    return c;
}

inline std::string lowered(std::string_view text) {
    std::string result;
    for (const unsigned char c : text) {
        result += static_cast<char>(lowerByte(c));
    }
    return result;
}

// The address prompt's reading rule: the hexadecimal digits from the first
// character up to the first character that is none; of more than eight only
// the last eight count; eight digits from 8 up are a negative 32-bit number.
// No digit at the start reads as 0.
inline std::int32_t readHexAnswer(std::string_view answer) {
    std::string digits;
    for (const unsigned char c : answer) {
        if (!std::isxdigit(c)) {
            break;
        }
        digits += static_cast<char>(c);
    }
    if (digits.size() > 8) {
        digits.erase(0, digits.size() - 8);
    }
    long long value = digits.empty() ? 0 : std::strtoll(digits.c_str(), nullptr, 16);
    if (value >= 0x80000000LL) {
        value -= 0x100000000LL;
    }
    return static_cast<std::int32_t>(value);
}

// File loading's line reader and how the editor's text is made of its lines.
// A line ends at CR, LF, CR LF, a zero byte or the end of the file; each line
// is stored with CR LF after it. After a CR only an LF belongs to the same
// line end, so LF CR is two line ends; a line end at the very end of the file
// adds no empty line. The bytes are taken as they are.
inline std::string editorTextOfFile(std::string_view file) {
    std::string text;
    std::size_t at = 0;
    while (at < file.size()) {
        std::string line;
        while (at < file.size()) {
            const char c = file[at++];
            if (c == '\r') {
                if (at < file.size() && file[at] == '\n') {
                    ++at;
                }
                break;
            }
            if (c == '\n' || c == '\0') {
                break;
            }
            line += c;
        }
        text += line + "\r\n";
    }
    return text;
}

}  // namespace fuzz
