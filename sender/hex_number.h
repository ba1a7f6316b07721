// Hexadecimal numbers as the user types and reads them: upper-case digits,
// no leading zeros, and a reading that never fails.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvale {

// Upper-case digits without leading zeros; a negative value as the eight
// digits of its 32-bit two's complement. 0 gives "0".
std::string formatHex(std::int32_t value);

// Reads the hexadecimal digits at the start of the text and ignores the
// rest; no digit there reads as 0. Of more than eight digits the last eight
// count, and eight digits from 8 up read negative ("2G0" -> 2, " 200" -> 0).
std::int32_t readHex(std::string_view text);

// A KC address typed where one is asked for outright (kcsend's dump, the
// window's range): one to four hexadecimal digits, blanks around them
// allowed; nothing for anything else.
std::optional<std::uint16_t> readAddress(std::string_view text);

// A 16-bit field as the upload header carries it: the value's hex text made
// four digits long (left-padded with '0', or cut to its first four), low
// byte from the last two digits, then the high byte from the first two.
std::array<std::uint8_t, 2> hexField16(std::int32_t value);

}  // namespace morvale
