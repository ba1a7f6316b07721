// HC-BASIC programs kept as KCC files (KCB).
//
// A KCB has the KCC layout (kcc_header.h); only its image makes it one: the
// image covers 0401h, where BASIC keeps its program. It often starts lower,
// with BASIC's work area from 0300h or a small routine that starts the
// program, and may carry machine code after the program's closing link. The
// program is read from 0401h as BASIC finds it there; what lies before or
// after it is not looked at, and neither is the fill after the image's end
// address: a program that runs into it is broken, not read on.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <variant>

#include "error.h"
#include "sss.h"

namespace kc {

// The program at 0401h of the KCB `file`, named by header bytes 0 to 7
// (trailing blanks dropped), never protected (a KCC header has no type for
// it). Errors name `subject`: TooShort for fewer than 128 bytes; WrongKind
// when the image does not start at or below 0401h or does not reach past it;
// Malformed when the file ends before the end its header announces and the
// program needs the bytes missing; the program's own errors
// (readProgramImage).
[[nodiscard]] std::variant<BasicFile, Error> readKcb(std::span<const std::uint8_t> file,
                                                     std::string_view subject);

}  // namespace kc
