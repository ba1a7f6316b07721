// The KCC container: a 128-byte header, then the memory image.
//
// KCC has no magic number: any file of at least 128 bytes has the layout.
// Only two header fields mean anything to this project; the rest (the file
// name the KC saved it under, the argument count, the start address) is left
// alone. KCB files share the layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kc {

inline constexpr std::size_t kHeaderSize = 128;

struct KccHeader {
    std::uint16_t loadAddress = 0;  // first KC address of the image
    std::uint16_t endAddress = 0;   // first KC address after the image

    // Bytes of the image the header announces; 0 when the end does not lie
    // beyond the load address, never negative.
    std::int32_t imageLength() const;
};

// Reads the load address (offset 17) and end address (offset 19), both
// unsigned 16-bit, least significant byte first. Nothing when fewer than
// 128 bytes are given.
std::optional<KccHeader> readKccHeader(std::span<const std::uint8_t> header);

}  // namespace kc
