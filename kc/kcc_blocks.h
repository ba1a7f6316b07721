// KCC files that kept the tape's block numbers, as some conversions made
// them: each 128-byte block of the KCC file preceded by its number, and in
// some files followed by a checksum byte, the sum of its 128 bytes modulo
// 256. Read here, never written.
//
// Nothing marks such a file. It is taken for one when its first byte is 00h
// or 01h, a number no KCC name starts with, and the byte where the second
// block's number stands (129, or 130 with checksums) is the next number or
// FFh, the number of a last block. Where both fit, the checksums are assumed
// when the first block's is right. The numbers count up by one; the FFh
// block is the last one read, and anything after it is not looked at.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <variant>
#include <vector>

#include "error.h"

namespace kc {

// The plain KCC file in `file` (the blocks' data bytes, numbers and
// checksums dropped), when `file` has the numbered layout; nothing when it
// has not, and it is then read as it is. An error, naming `subject`, when it
// has the layout but is broken (Malformed, detail naming the block, counted
// from 1): a block cut short, a number out of order before the FFh block, a
// wrong checksum.
[[nodiscard]] std::optional<std::variant<std::vector<std::uint8_t>, Error>> kccFromNumberedBlocks(
    std::span<const std::uint8_t> file, std::string_view subject);

}  // namespace kc
