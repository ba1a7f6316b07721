#include "kcc_header.h"

#include <algorithm>
#include <string>

#include "kc85.h"
#include "latin1_case.h"

namespace kc {

std::int32_t KccHeader::imageLength() const {
    return endAddress > loadAddress ? endAddress - loadAddress : 0;
}

std::optional<std::uint16_t> KccHeader::start() const {
    // Older tools write counts above 3 for the same three addresses.
    return addressCount >= 3 ? std::optional(startAddress) : std::nullopt;
}

std::optional<KccHeader> readKccHeader(std::span<const std::uint8_t> header) {
    if (header.size() < kHeaderSize) {
        return std::nullopt;
    }
    return KccHeader{readWord(header, kLoadAddressOffset), readWord(header, kEndAddressOffset),
                     header[kAddressCountOffset], readWord(header, kStartAddressOffset)};
}

std::array<std::uint8_t, kHeaderSize> makeKccHeader(std::string_view name,
                                                    const KccHeader& addresses) {
    std::array<std::uint8_t, kHeaderSize> header{};
    std::fill_n(header.begin() + kFileNameOffset, kFileNameSize, ' ');
    const std::string capitals = upperLatin1(name.substr(0, kFileNameSize));
    std::copy(capitals.begin(), capitals.end(), header.begin() + kFileNameOffset);
    std::copy_n("KCC", kFileTypeSize, header.begin() + kFileTypeOffset);
    header[kAddressCountOffset] = addresses.start() ? 3 : 2;
    writeWord(header, kLoadAddressOffset, addresses.loadAddress);
    writeWord(header, kEndAddressOffset, addresses.endAddress);
    if (const auto start = addresses.start()) {
        writeWord(header, kStartAddressOffset, *start);
    }
    return header;
}

}  // namespace kc
