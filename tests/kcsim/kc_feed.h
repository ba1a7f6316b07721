// Bytes for the virtual KC as a sender puts them on the line, fed to it a
// second apart, so that pace never matters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "virtual_kc.h"

namespace kcsim::testing {

using Bytes = std::vector<std::uint8_t>;

Bytes keys(std::string_view text);
// ESC T: address, length, then the bytes.
Bytes memoryWrite(std::uint16_t address, const Bytes& bytes);
// ESC U and the address.
Bytes startAt(std::uint16_t address);
// BASIC's three end pointers, all at `end`, as the sender writes them.
Bytes endPointers(std::uint16_t end);

// Feeds the pieces in order and returns what the screen showed.
std::string feed(VirtualKc& kc, const std::vector<Bytes>& pieces);

}  // namespace kcsim::testing
