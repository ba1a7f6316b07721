#include "kcc_header.h"

namespace kc {

namespace {

constexpr std::size_t kLoadAddressOffset = 17;
constexpr std::size_t kEndAddressOffset = 19;

std::uint16_t readLittleEndian16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

}  // namespace

std::int32_t KccHeader::imageLength() const {
    return endAddress > loadAddress ? endAddress - loadAddress : 0;
}

std::optional<KccHeader> readKccHeader(std::span<const std::uint8_t> header) {
    if (header.size() < kHeaderSize) {
        return std::nullopt;
    }
    return KccHeader{readLittleEndian16(header, kLoadAddressOffset),
                     readLittleEndian16(header, kEndAddressOffset)};
}

}  // namespace kc
