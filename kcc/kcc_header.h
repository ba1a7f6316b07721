// The KCC container: a 128-byte header, then the memory image.
//
// KCC has no magic number: any file of at least 128 bytes has the layout.
// The header holds the file name the KC saved it under (left alone here),
// at offset 16 the number of addresses that follow (2, or 3 when the image
// has a start address), then the load, end and start address. KCB files
// share the layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kcc {

inline constexpr std::size_t kHeaderSize = 128;

struct KccHeader {
    std::uint16_t loadAddress = 0;  // first KC address of the image
    std::uint16_t endAddress = 0;   // first KC address after the image
    std::uint8_t addressCount = 0;  // 3 when startAddress is one
    std::uint16_t startAddress = 0;

    // The address the program starts at, when the header gives one.
    std::optional<std::uint16_t> start() const;

    // Bytes of the image the header announces; 0 when the end does not lie
    // beyond the load address, never negative.
    std::int32_t imageLength() const;
};

// Reads the address count (offset 16) and the load (17), end (19) and start
// address (21), each unsigned 16-bit, least significant byte first. Nothing
// when fewer than 128 bytes are given.
std::optional<KccHeader> readKccHeader(std::span<const std::uint8_t> header);

}  // namespace kcc
