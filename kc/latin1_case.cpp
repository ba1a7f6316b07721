#include "latin1_case.h"

namespace kc {

namespace {

constexpr std::uint8_t kCaseDistance = 0x20;

template <typename Map>
std::string mapBytes(std::string_view text, Map map) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(map(static_cast<std::uint8_t>(c)));
    }
    return result;
}

}  // namespace

std::uint8_t lowerLatin1(std::uint8_t byte) {
    const bool capital = (byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE);
    return capital ? static_cast<std::uint8_t>(byte + kCaseDistance) : byte;
}

std::uint8_t upperLatin1(std::uint8_t byte) {
    const bool small = (byte >= 'a' && byte <= 'z') || byte >= 0xE0;
    return small ? static_cast<std::uint8_t>(byte - kCaseDistance) : byte;
}

std::string lowerLatin1(std::string_view text) {
    return mapBytes(text, [](std::uint8_t b) { return lowerLatin1(b); });
}

std::string upperLatin1(std::string_view text) {
    return mapBytes(text, [](std::uint8_t b) { return upperLatin1(b); });
}

}  // namespace kc
