// The KCC container: a 128-byte header, then the memory image.
//
// The header is the one the KC writes before a file on tape: the file name
// (eight bytes, padded with blanks) and its type (three, "KCC") in bytes 0
// to 10, the count of addresses that follow (2 or 3) in byte 16, then the
// load address, the end address (the first address after the image) and,
// with a count of 3, the start address, each a word, least significant byte
// first. KCC has no magic number: any file of at least 128 bytes has the
// layout. Reading takes the count and the three addresses; the rest is left
// alone. KCB files share the layout.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kc {

inline constexpr std::size_t kHeaderSize = 128;

// Where the fields lie, as the KC's header names them.
inline constexpr std::size_t kFileNameOffset = 0;
inline constexpr std::size_t kFileNameSize = 8;
inline constexpr std::size_t kFileTypeOffset = 8;
inline constexpr std::size_t kFileTypeSize = 3;
inline constexpr std::size_t kAddressCountOffset = 16;
inline constexpr std::size_t kLoadAddressOffset = 17;
inline constexpr std::size_t kEndAddressOffset = 19;
inline constexpr std::size_t kStartAddressOffset = 21;

struct KccHeader {
    std::uint16_t loadAddress = 0;  // first KC address of the image
    std::uint16_t endAddress = 0;   // first KC address after the image
    std::uint8_t addressCount = 2;  // 3 when startAddress is one
    std::uint16_t startAddress = 0;

    // The address the program starts at, when the header gives one.
    std::optional<std::uint16_t> start() const;

    // Bytes of the image the header announces; 0 when the end does not lie
    // beyond the load address, never negative.
    std::int32_t imageLength() const;
};

// Reads the address count and the load, end and start address. Nothing
// when fewer than 128 bytes are given.
[[nodiscard]] std::optional<KccHeader> readKccHeader(std::span<const std::uint8_t> header);

// The header of a KCC file named `name` (its first eight bytes, in Latin-1
// capitals) holding an image at `addresses`: type "KCC", two addresses, or
// three with a start address, every byte not named zero. Cannot fail.
std::array<std::uint8_t, kHeaderSize> makeKccHeader(std::string_view name,
                                                    const KccHeader& addresses);

}  // namespace kc
