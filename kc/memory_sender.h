// The routine that sends a piece of the KC's memory back over the line, and
// the frame it sends.
//
// The routine (z80/send_memory.asm, assembled at build time) goes by ESC T
// into the cassette buffer in the KC's video memory, with the address and
// the length it is to send written into its last four bytes; ESC U starts it.
// It sends "KCD", the address and the length (words, low byte first; a
// length of 0 stands for 65536), the bytes, and a CRC-16 (CCITT: polynomial
// 1021h, starting at FFFFh, high byte first) of address, length and bytes,
// then returns to CAOS, which stays in its command state. What it overwrites
// is the cassette buffer, which nothing but the tape's SAVE, LOAD and VERIFY
// uses: no program's memory.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <variant>
#include <vector>

#include "error.h"

namespace kc {

// Where the routine goes, and the bytes it takes there.
std::uint16_t memorySenderAddress();
std::size_t memorySenderSize();

// The routine, to be uploaded at memorySenderAddress(), set to send count
// bytes from `from` (count 0: 65536). Cannot fail.
std::vector<std::uint8_t> memorySenderCode(std::uint16_t from, std::uint16_t count);

inline constexpr std::array<std::uint8_t, 3> kMemoryFrameMagic = {'K', 'C', 'D'};
// Magic, address, length, then the bytes, then the CRC.
inline constexpr std::size_t kMemoryFrameOverhead = 3 + 4 + 2;

// The bytes a frame for count bytes takes on the line (count 0: 65536).
std::size_t memoryFrameSize(std::uint16_t count);

std::uint16_t crc16Ccitt(std::span<const std::uint8_t> bytes, std::uint16_t crc = 0xFFFF);

// The frame the routine sends for `bytes` from `from`; 1 to 65536 bytes.
std::vector<std::uint8_t> memoryFrame(std::uint16_t from, std::span<const std::uint8_t> bytes);

// The memory a whole frame carries, when it is the frame that was asked for
// (from, count) and its CRC agrees. Errors name subject: Malformed when the
// frame is too short or long, does not start with the magic or names
// another address or length; BadChecksum when the CRC does not agree.
[[nodiscard]] std::variant<std::vector<std::uint8_t>, Error> readMemoryFrame(
    std::span<const std::uint8_t> frame, std::uint16_t from, std::uint16_t count,
    std::string_view subject);

}  // namespace kc
