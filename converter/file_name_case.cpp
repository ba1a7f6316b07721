#include "file_name_case.h"

#include <cstdint>

#include "latin1_case.h"

namespace kccstrip {

namespace {

constexpr std::uint8_t kCaseDistance = 0x20;

// U+00C0 to U+00DE are the lead byte 0xC3 followed by 0x80 to 0x9E.
constexpr std::uint8_t kLatin1CapitalLead = 0xC3;
constexpr std::uint8_t kMultiplicationSign = 0x97;  // U+00D7 behind 0xC3

bool isContinuation(std::uint8_t byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

bool isValidUtf8(std::string_view text) {
    const auto byteAt = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    for (std::size_t i = 0; i < text.size();) {
        const std::uint8_t lead = byteAt(i);
        std::size_t length = 0;
        // The range the second byte must lie in, which rules out overlong
        // forms, surrogates and code points beyond U+10FFFF.
        std::uint8_t low = 0x80, high = 0xBF;
        if (lead < 0x80) {
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (text.size() - i < length) {
            return false;
        }
        if (length > 1 && (byteAt(i + 1) < low || byteAt(i + 1) > high)) {
            return false;
        }
        for (std::size_t k = 2; k < length; ++k) {
            if (!isContinuation(byteAt(i + k))) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

std::string lowerFileName(std::string_view name) {
    if (!isValidUtf8(name)) {
        return kc::lowerLatin1(name);
    }
    std::string lowered(name);
    for (std::size_t i = 0; i < lowered.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(lowered[i]);
        if (byte >= 'A' && byte <= 'Z') {
            lowered[i] = static_cast<char>(byte + kCaseDistance);
        } else if (byte == kLatin1CapitalLead && i + 1 < lowered.size()) {
            const auto next = static_cast<std::uint8_t>(lowered[i + 1]);
            if (next <= 0x9E && next != kMultiplicationSign) {
                lowered[i + 1] = static_cast<char>(next + kCaseDistance);
            }
            ++i;
        }
    }
    return lowered;
}

}  // namespace kccstrip
