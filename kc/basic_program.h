// An HC-BASIC program as it lies in the KC's memory from 0401h on, and the
// cells of BASIC's work area that say where it ends.
//
// Each line is a link (the address of the next line's link), its number, its
// tokenised text and a zero byte; a link of 0000h ends the program, and the
// end pointer at 03D7h points just past that closing link. BASIC computes
// every link afresh after it stores a typed line and after a program comes
// from tape, so only the zero bytes and the closing link carry meaning: a
// program saved by a BASIC that kept it elsewhere in memory (RAM BASIC at
// 2C01h, say) reads the same here, and an image made here always carries the
// links for 0401h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <variant>
#include <vector>

#include "error.h"

namespace kc {

// Where the first line's link lies; the byte before it is always 00h.
inline constexpr std::uint16_t kBasicProgramStart = 0x0401;
// Three words: the end of the program, of the variables and of the arrays.
// Right after a program is stored, all three point past its closing link.
inline constexpr std::uint16_t kBasicEndPointers = 0x03D7;
// Not zero while the program came from a protected file: LIST, EDIT and
// CSAVE then refuse, and BYE erases it.
inline constexpr std::uint16_t kBasicProtectionFlag = 0x035E;
// What the KC's own tape loader leaves in the protection flag for a
// protected program (its file type less 4, D3h).
inline constexpr std::uint8_t kBasicProtected = 0xD3;
// The highest line number BASIC takes.
inline constexpr std::uint16_t kHighestLineNumber = 65529;
// The most bytes a program (closing link included) may have on a KC 85/4
// with all its memory: BASIC's string space starts at BEFFh, and loading from
// tape leaves 47 bytes below it for the stack.
inline constexpr std::size_t kLargestBasicProgram = 0xBEFF - 47 - kBasicProgramStart;

struct BasicLine {
    std::uint16_t number = 0;
    // The tokenised text as stored, without the zero byte that ends it;
    // never holds a zero byte.
    std::vector<std::uint8_t> text;

    friend bool operator==(const BasicLine&, const BasicLine&) = default;
};

struct BasicProgram {
    // In the order BASIC keeps them: ascending numbers, each once, for every
    // program BASIC stored itself.
    std::vector<BasicLine> lines;

    friend bool operator==(const BasicProgram&, const BasicProgram&) = default;
};

// The program's bytes as BASIC holds them from `start` on: each line with
// the link to the next, then the closing link 00 00. Cannot fail.
std::vector<std::uint8_t> programImage(const BasicProgram& program,
                                       std::uint16_t start = kBasicProgramStart);

// The program whose bytes from 0401h on are `image`, read line by line as
// BASIC re-links it: a link of 0000h ends it, any other link is passed over,
// then come the number and the text up to its zero byte. Bytes after the
// closing link are not looked at. Errors name `subject`: Malformed when the
// image ends inside a line, before its zero byte or before the closing link;
// TooLong when the program is longer than BASIC takes
// (kLargestBasicProgram).
[[nodiscard]] std::variant<BasicProgram, Error> readProgramImage(
    std::span<const std::uint8_t> image, std::string_view subject);

// The bytes of programImage(program), without making it.
std::size_t programImageSize(const BasicProgram& program);

}  // namespace kc
