// KC-TAP: the KC's tape as a file, block by block.
//
// A 16-byte magic, then blocks of 129 bytes: a block number and 128 payload
// bytes. The payloads joined make either a KCC file (the 128-byte header
// block, then the image) or a BASIC file with its tape header (sss.h); three
// equal BASIC file types at the start of the first payload tell which.
// Writers number the blocks differently (01h, 02h, ... and FFh for the last,
// or from 00h), so the numbers are skipped, never relied on.
//
// Several tapes may be joined in one file, each with its own magic. Where one
// ends is not predicted from its header (an end predicted from the data's
// length misses by a block in edge cases); a new part starts wherever the
// magic stands at a block boundary. A file cut short may end inside its last
// block, which is taken as long as the data it must hold is there.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <variant>
#include <vector>

#include "error.h"
#include "sss.h"

namespace kc {

inline constexpr std::array<std::uint8_t, 16> kTapMagic = {0xC3, 'K', 'C', '-', 'T', 'A', 'P', 'E',
                                                           ' ',  'b', 'y', ' ', 'A', 'F', '.', ' '};
inline constexpr std::size_t kTapBlockSize = 129;  // the number, then the payload
inline constexpr std::size_t kTapPayloadSize = 128;

struct TapKcc {
    std::vector<std::uint8_t>
        bytes;  // a KCC file as a .kcc holds it: the 128-byte header, then the image

    friend bool operator==(const TapKcc&, const TapKcc&) = default;
};
using TapContent = std::variant<BasicFile, TapKcc>;

// The files of a KC-TAP file, one per part, in their order; at least one. A
// KCC's image is the end minus the load address bytes after its header,
// without the fill of its last block. Errors name `subject`, and the part
// when there are several: WrongKind for a file without the magic, or for a
// BASIC data array or listing; TooShort for a part too short for its KCC
// header; Malformed for a file that ends inside a block before what the
// block must hold, a KCC image shorter than its header announces, or a BASIC
// program's length running past its part's end; the program's own errors
// (readProgramImage).
[[nodiscard]] std::variant<std::vector<TapContent>, Error> readTap(
    std::span<const std::uint8_t> file, std::string_view subject);

// The KC-TAP file of one BASIC program, as the emulators write it: the
// magic, then tapeBasicFile(file) in blocks numbered 01h, 02h, ... and FFh
// for the last (the first stays 01h when it is also the last), the last
// block filled with zeros. Cannot fail.
std::vector<std::uint8_t> writeTap(const BasicFile& file);

}  // namespace kc
