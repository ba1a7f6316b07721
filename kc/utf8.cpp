#include "utf8.h"

namespace kc {

namespace {

std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace

std::optional<Utf8Sequence> decodeUtf8(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) {
        return std::nullopt;
    }
    const std::uint8_t lead = bytes[0];
    if (lead < 0x80) {
        return Utf8Sequence{lead, 1};
    }
    Utf8Sequence sequence;
    char32_t lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        sequence = {static_cast<char32_t>(lead & 0x1F), 2};
        lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        sequence = {static_cast<char32_t>(lead & 0x0F), 3};
        lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        sequence = {static_cast<char32_t>(lead & 0x07), 4};
        lowest = 0x10000;
    } else {
        return std::nullopt;
    }
    if (bytes.size() < sequence.length) {
        return std::nullopt;
    }
    for (std::size_t k = 1; k < sequence.length; ++k) {
        if ((bytes[k] & 0xC0) != 0x80) {
            return std::nullopt;
        }
        sequence.character = (sequence.character << 6) | (bytes[k] & 0x3F);
    }
    if (sequence.character < lowest || sequence.character > 0x10FFFF) {
        return std::nullopt;
    }
    return sequence;
}

bool isValidUtf8(std::string_view text) {
    const auto bytes = bytesOf(text);
    for (std::size_t i = 0; i < bytes.size();) {
        const auto sequence = decodeUtf8(bytes.subspan(i));
        if (!sequence || isSurrogate(sequence->character)) {
            return false;
        }
        i += sequence->length;
    }
    return true;
}

std::optional<std::string> latin1FromUtf8(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size());
    bool multiByte = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto sequence = decodeUtf8(bytes.subspan(i));
        if (!sequence || isSurrogate(sequence->character)) {
            return std::nullopt;
        }
        multiByte = multiByte || sequence->length > 1;
        const char32_t character = sequence->character;
        if (!(i == 0 && character == 0xFEFF)) {
            text.push_back(character <= 0xFF ? static_cast<char>(character) : '?');
        }
        i += sequence->length;
    }
    if (!multiByte) {
        return std::nullopt;
    }
    return text;
}

void appendUtf8(std::uint8_t latin1, std::string& out) {
    if (latin1 < 0x80) {
        out += static_cast<char>(latin1);
    } else {
        out += static_cast<char>(0xC0 | (latin1 >> 6));
        out += static_cast<char>(0x80 | (latin1 & 0x3F));
    }
}

std::string latin1ToUtf8(std::string_view latin1) {
    std::string utf8;
    for (const char c : latin1) {
        appendUtf8(static_cast<std::uint8_t>(c), utf8);
    }
    return utf8;
}

}  // namespace kc
