// Typing a listing into the KC: its text goes out character by character
// with pauses, long ones at line ends and every 40 characters, so that the
// KC's BASIC keeps up (text_pacing.h). A stop ends it with a line end.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pacer.h"
#include "sending.h"
#include "serial_link.h"
#include "text_pacing.h"
#include "transfer_plan.h"

namespace morvale {

// HC-BASIC keeps at most this many characters of a line, its number
// included: each further character overwrites the last of them.
inline constexpr std::size_t kLongestBasicLine = 73;

// The lines of the text (counted from 1) longer than BASIC keeps. They are
// sent as they are.
std::vector<int> overlongLines(std::string_view text);

// Sends the text, whose lines end in CR LF or CR, as the editor holds
// them: every LF is dropped, so a line goes out ending in its carriage
// return alone. First a carriage return and its pause (CAOS switches to its
// keyboard over V.24, or BASIC opens a new line), then the characters with
// the pacing's pauses, then a carriage return when the text does not end in
// one (trailing blanks aside).
//
// A character the KC holds up is written again until it leaves or a stop is
// asked for. A stop in a pause or a hold ends the typing with a carriage
// return at once (stopped); the closing line ends wait for a held line up to
// kHoldLimit (error LineHeld when given up). A device that fails ends it
// (error DeviceLost, told to the observer at once). An empty text or a port
// that does not open sends nothing.
[[nodiscard]] SendReport sendListing(SerialLink& link, Pacer& pacer, std::string_view portName,
                                     std::string_view text, const TextPacing& pacing,
                                     Progress* progress = nullptr);

// The bytes and pauses sendListing puts on the line for this text when it
// runs to its end; nothing for an empty text. A line the KC holds adds ticks
// but no bytes: the transfer then takes longer than planned, never shorter.
TransferPlan planText(std::string_view text, const TextPacing& pacing = {});

}  // namespace morvale
