// Hearing the KC: collecting what it sends, with a deadline for every wait.
//
// The KC answers only when it was asked in the state it must be in (BASIC at
// its prompt for LIST#3, CAOS's command state for a routine started by ESC
// U); otherwise it stays silent, and silence is all the sender learns. So a
// receive waits a limited time for the first byte (no answer), then a
// limited time for each next one (the KC fell silent), and ends at once when
// what came is whole. It looks at the pacer's stop between short slices, so
// that Ctrl+C or the window's stop button ends it within a twentieth of a
// second, and the window keeps painting meanwhile.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pacer.h"
#include "sending.h"

namespace morvale {

struct HearingLimits {
    std::chrono::milliseconds firstByte{5000};  // from the start of the receive
    std::chrono::milliseconds silence{3000};    // between two bytes
};

enum class HearingEnd {
    Whole,     // `whole` said so
    NoAnswer,  // nothing came within firstByte
    Silent,    // bytes came, then nothing within silence
    Stopped,   // a stop was asked for
    Failed,    // the device failed (the report has DeviceLost)
};

// Reads into `bytes` until whole(bytes) is true or the receive ends as
// above.
HearingEnd hear(OperationLine& line, Pacer& pacer, const HearingLimits& limits,
                const std::function<bool(std::span<const std::uint8_t>)>& whole,
                std::vector<std::uint8_t>& bytes);

// What a receive's end means for the report: stopped for a stop; error
// NoAnswer or CutShort, naming the port, with the words given, for silence;
// nothing for a whole receive or a failed device (the report has that error
// already).
void recordHearingEnd(HearingEnd end, SendReport& report, std::string_view portName,
                      std::string noAnswer, std::string silent);

}  // namespace morvale
