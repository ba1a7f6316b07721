// What BASIC's LIST#n sends to a device: the listing as text, framed for a
// printer.
//
// Seen from the KC 85/4's firmware on the V.24 line: an opening CR LF, then
// each line as LIST prints it on the screen, each followed by CR LF, and
// after every CR LF ten zero bytes (time for a printer's carriage to
// return); when BASIC closes the channel, 03h. The name given to LIST#3 is
// not sent.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kc {

// The end of a LIST#n output.
inline constexpr std::uint8_t kEndOfListing = 0x03;

struct ListOutput {
    // The lines, Latin-1, without their CR LF, the opening empty line not
    // among them.
    std::vector<std::string> lines;
    // The 03h came: the listing is whole. Bytes after it are not looked at.
    bool ended = false;
};

// Reads what LIST#n sent so far. Zero bytes and LF are dropped; a line whose
// CR has not come yet is not among the lines. Cannot fail.
ListOutput readListOutput(std::span<const std::uint8_t> bytes);

}  // namespace kc
