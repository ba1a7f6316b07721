// Case mapping of single-byte Latin-1 text, as both programs use it.
//
// Deliberately not the C locale's tolower/toupper: the mapping is two fixed
// byte ranges. 0xD7 (multiplication sign) lies inside the capitals' range and
// is lowered to 0xF7; 0xDF (sharp s) lies outside it and stays. Upper-casing
// takes the whole range 0xE0-0xFF, so 0xFF becomes 0xDF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kc {

// A-Z and 0xC0-0xDE are raised by 0x20; every other byte stays.
std::uint8_t lowerLatin1(std::uint8_t byte);
// a-z and 0xE0-0xFF are lowered by 0x20; every other byte stays.
std::uint8_t upperLatin1(std::uint8_t byte);

std::string lowerLatin1(std::string_view text);
std::string upperLatin1(std::string_view text);

}  // namespace kc
