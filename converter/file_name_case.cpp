#include "file_name_case.h"

#include <cstdint>

#include "latin1_case.h"
#include "utf8.h"

namespace kccstrip {

namespace {

constexpr std::uint8_t kCaseDistance = 0x20;

// U+00C0 to U+00DE are the lead byte 0xC3 followed by 0x80 to 0x9E.
constexpr std::uint8_t kLatin1CapitalLead = 0xC3;
constexpr std::uint8_t kMultiplicationSign = 0x97;  // U+00D7 behind 0xC3

}  // namespace

std::string lowerFileName(std::string_view name) {
    if (!kc::isValidUtf8(name)) {
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
