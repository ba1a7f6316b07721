// An HC-BASIC program as text: the program BASIC holds after a listing was
// typed into it line by line, right after NEW, and the lines LIST prints.
//
// Reading follows BASIC's own line editor and line entry, so that a listing
// yields exactly the program the KC would hold had the listing been typed on
// its keyboard: a line keeps at most 73 characters, blanks around the line
// number's digits are passed over, a number alone deletes its line, a later
// line of the same number replaces an earlier one, and the text is tokenised
// as BASIC does (basic_tokens.h). Bytes from F1h up are CAOS's function keys,
// which type nothing until they are given strings, so they drop out (seen in
// the KC's firmware, as was ESC taking the next key with it). What BASIC would
// not store at all, a line without a number, which it would run at once, a
// number it refuses, or a key that changes the line, is an error rather than
// something passed over, since a listing meant for the KC does not hold it.
//
// Reading back what LIST printed gives the program again, except where LIST
// prints something that is typed otherwise:
// - a token byte inside a REM or DATA text (typed there as a raw byte), which
//   LIST prints as its keyword and BASIC keeps as letters;
// - a raw token byte typed elsewhere, when its keyword runs into the letters
//   around it ("A" and a raw TO list as "ATO", which is AT and O);
// - a "?" after letters that end in the start of a keyword with P: "STO?" is
//   stored as S, TO and PRINT, listed as "STOPRINT" and read as STOP, R and
//   INT; likewise after STE, BEE, IN and EX;
// - a byte from F1h up, which drops out;
// - a line whose listing is longer than the 73 characters a line keeps.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "basic_program.h"
#include "error.h"

namespace kc {

// The most characters BASIC's line editor keeps of a line, number included;
// of a longer line it keeps the first 72 and the last.
inline constexpr std::size_t kBasicLineKeys = 73;

// The program BASIC holds after the Latin-1 `latin1` was typed into an empty
// program, its lines ending in CR LF, LF or CR. Per line: TAB is a blank,
// other control characters the editor only echoes or ignores drop out, as do
// the function keys, and a line of blanks is passed over; a 1Ah (the
// end-of-file mark of CP/M and DOS) as a line's first byte ends the listing.
// A number without text deletes its line, if there is one. The error is
// Malformed, names `subject`, carries the line of the file (from 1) in its
// `line`, and its detail names that line and quotes its start, for a line
// that has no number, a number above 65529, an editing key (cursor, INS, DEL,
// BRK, or the LIST, RUN and CONT keys) or ESC.
[[nodiscard]] std::variant<BasicProgram, Error> programFromListing(std::string_view latin1,
                                                                   std::string_view subject);

// The program's lines as LIST prints them, in Latin-1 and without line ends:
// the number, one blank, then listedText of the text. Cannot fail.
std::vector<std::string> listedLines(const BasicProgram& program);

}  // namespace kc
