// HC-BASIC's keywords and the two ways a line's text meets them: BASIC's
// tokeniser, which turns the text typed after a line number into the bytes it
// stores, and LIST, which prints those bytes back.
//
// A token is one byte from 80h to F4h standing for a keyword: 80h-D4h are the
// BASIC ROM's own 85, D5h-F4h the 32 that CAOS 4.2 adds. The tokeniser walks
// the text once, left to right, and at each place takes the first keyword in
// token order whose letters follow there, whatever comes after it: there is no
// longest match and no word boundary, so "CAT" is C and AT, "FORM" is FOR and
// M. Strings in quotes, the rest of a line after REM or "!", and everything
// after DATA up to the next colon are kept as typed. LIST knows only quotes:
// it expands every token byte outside them, also one that was typed as a raw
// byte or stands inside a REM. So a listing read back in gives the same bytes
// only where no such byte lies in a REM or DATA text (basic_listing.h has the
// rest).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kc {

inline constexpr std::uint8_t kFirstBasicToken = 0x80;  // END
inline constexpr std::uint8_t kLastBasicToken = 0xF4;   // CSRLIN
inline constexpr std::uint8_t kBasicData = 0x83;
inline constexpr std::uint8_t kBasicRem = 0x8E;
inline constexpr std::uint8_t kBasicBang = 0x9C;  // "!", a REM of its own
inline constexpr std::uint8_t kBasicPrint = 0x9E;

// The keyword `token` stands for, in capitals as LIST prints it; nothing for
// a byte that is no token (below 80h, above F4h).
std::optional<std::string_view> basicKeyword(std::uint8_t token);

// The bytes BASIC stores for the text of a typed line, the text being what
// follows the line number from its first non-blank on. Blanks are kept;
// letters outside strings, REM and DATA become capitals; "?" is PRINT;
// "GO TO" (any blanks between the letters) is GOTO. Bytes from 80h typed
// outside strings are kept as they are. BASIC's line ends at a zero byte, and
// so does the text here. Cannot fail: every text is some line to BASIC.
std::vector<std::uint8_t> tokeniseText(std::string_view latin1);

// What LIST prints for a stored text: each token outside quotes as its
// keyword (every quote opens or closes a string), every other byte as
// itself. Bytes F5h-FFh outside quotes are no token to CAOS 4.2 and the KC
// prints some bytes of its ROM for them; here they stand for themselves, so
// that the listing still shows that a byte is there. Cannot fail.
std::string listedText(std::span<const std::uint8_t> text);

}  // namespace kc
