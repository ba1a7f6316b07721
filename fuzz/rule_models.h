// Small models of the rules the targets check, each written from the rule
// itself and sharing nothing with the code under test.
#pragma once

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
// adds no empty line. The bytes are taken as they are; a file loads as the
// lines of textOfFile.
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

// The characters of well-formed UTF-8, or nothing for a stray or missing
// continuation byte, a longer form than needed, a surrogate, or a character
// beyond U+10FFFF.
inline std::optional<std::vector<char32_t>> utf8Characters(std::string_view text) {
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    std::vector<char32_t> characters;
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char lead = text[at];
        const std::size_t length = lead < 0x80   ? 1
                                   : lead < 0xC0 ? 0
                                   : lead < 0xE0 ? 2
                                   : lead < 0xF0 ? 3
                                   : lead < 0xF8 ? 4
                                                 : 0;
        if (length == 0 || text.size() - at < length) {
            return std::nullopt;
        }
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = text[at + k];
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            c = c << 6 | (next & 0x3F);
        }
        if (c < kSmallest[length] || c > 0x10FFFF || (0xD800 <= c && c <= 0xDFFF)) {
            return std::nullopt;
        }
        characters.push_back(c);
        at += length;
    }
    return characters;
}

// The Latin-1 text a text file is loaded as: a file of valid UTF-8 with at
// least one multi-byte sequence stands for its characters, each up to U+00FF
// as that byte and every other as '?', a byte-order mark at the start
// dropped. Any other file is its bytes.
inline std::string textOfFile(std::string_view file) {
    const auto characters = utf8Characters(file);
    if (!characters || characters->size() == file.size()) {
        return std::string(file);
    }
    std::string text;
    for (std::size_t i = 0; i < characters->size(); ++i) {
        const char32_t c = (*characters)[i];
        if (i > 0 || c != 0xFEFF) {
            text += c <= 0xFF ? static_cast<char>(c) : '?';
        }
    }
    return text;
}

}  // namespace fuzz
