#include "output_path.h"

#include <cstdint>

#include "latin1_case.h"
#include "utf8.h"

namespace kccstrip {

namespace {

constexpr std::string_view kKccExtension = ".kcc";
constexpr std::string_view kBinExtension = ".bin";
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

bool hasKccExtension(std::string_view path) {
    if (path.size() < kKccExtension.size()) {
        return false;
    }
    return kc::lowerLatin1(path.substr(path.size() - kKccExtension.size())) == kKccExtension;
}

std::string_view directoryPart(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash + 1);
}

std::string_view namePart(std::string_view path) {
    return path.substr(directoryPart(path).size());
}

std::string outputPathFor(std::string_view inputPath) {
    const std::string_view directory = directoryPart(inputPath);
    const std::string name = lowerFileName(namePart(inputPath));

    std::string output(directory);
    for (std::size_t i = 0; i < name.size();) {
        if (std::string_view(name).substr(i, kKccExtension.size()) == kKccExtension) {
            output += kBinExtension;
            i += kKccExtension.size();
        } else {
            output += name[i++];
        }
    }
    return output;
}

}  // namespace kccstrip
