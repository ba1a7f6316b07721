#include "kcc_blocks.h"

#include <cstdio>
#include <numeric>
#include <string>

namespace kc {

namespace {

constexpr std::size_t kDataSize = 128;
constexpr std::uint8_t kLastBlock = 0xFF;

std::uint8_t checksum(std::span<const std::uint8_t> data) {
    return static_cast<std::uint8_t>(std::accumulate(data.begin(), data.end(), 0u));
}

bool follows(std::uint8_t number, std::uint8_t previous) {
    return number == kLastBlock || number == static_cast<std::uint8_t>(previous + 1);
}

std::string hex(std::uint8_t byte) {
    char text[4];
    std::snprintf(text, sizeof text, "%02Xh", byte);
    return text;
}

Error malformed(std::string_view subject, std::size_t block, std::string what) {
    return {ErrorKind::Malformed, 0, std::string(subject),
            "block " + std::to_string(block) + " of the numbered blocks " + std::move(what)};
}

// The size of one block with its number (and checksum), when `file` has the
// layout; 0 when it has not.
std::size_t blockSize(std::span<const std::uint8_t> file) {
    constexpr std::size_t plain = kDataSize + 1;
    constexpr std::size_t checked = kDataSize + 2;
    if (file.empty() || file[0] > 1) {
        return 0;
    }
    const bool plainFits = file.size() > plain && follows(file[plain], file[0]);
    const bool checkedFits = file.size() > checked && follows(file[checked], file[0]);
    if (checkedFits && (!plainFits || file[plain] == checksum(file.subspan(1, kDataSize)))) {
        return checked;
    }
    return plainFits ? plain : 0;
}

}  // namespace

std::optional<std::variant<std::vector<std::uint8_t>, Error>> kccFromNumberedBlocks(
    std::span<const std::uint8_t> file, std::string_view subject) {
    const std::size_t size = blockSize(file);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> kcc;
    std::uint8_t previous = 0;
    for (std::size_t at = 0, block = 1; at < file.size(); at += size, ++block) {
        if (file.size() - at < size) {
            return malformed(subject, block,
                             "is cut short: " + std::to_string(file.size() - at) + " of its " +
                                 std::to_string(size) + " bytes");
        }
        const std::uint8_t number = file[at];
        if (block > 1 && !follows(number, previous)) {
            return malformed(subject, block,
                             "has the number " + hex(number) + " after " + hex(previous));
        }
        const auto data = file.subspan(at + 1, kDataSize);
        if (size > kDataSize + 1 && file[at + kDataSize + 1] != checksum(data)) {
            return malformed(subject, block,
                             "has the checksum " + hex(file[at + kDataSize + 1]) +
                                 ", its data sum to " + hex(checksum(data)));
        }
        kcc.insert(kcc.end(), data.begin(), data.end());
        if (number == kLastBlock) {
            break;
        }
        previous = number;
    }
    return kcc;
}

}  // namespace kc
