// Typing one character through a held line.
//
// The KC holds the line with XOFF while it is busy (its BASIC storing a line,
// say), and a one-byte write that runs into its time-out meanwhile has sent
// nothing. Such a character is written again, one tick later, until it leaves:
// a hold delays the text but never loses a character, and the link's count
// tells whether the byte left, so none goes out twice. The tick between tries
// keeps the window painting and lets the user abort where the operation
// allows it.
#pragma once

#include <chrono>

#include "serial_link.h"
#include "window.h"

namespace morvale {

// How long the command line and the key buttons, which have no abort, wait
// for a held line.
inline constexpr std::chrono::milliseconds kHoldLimit{10'000};

struct HoldRule {
    // A click on the send button during the wait gives up at once.
    bool abortable = false;
    // Gives up when the line has been held this long since the first try.
    Clock::duration limit = Clock::duration::max();
};

enum class HeldWrite {
    Sent,          // the character left (a zero byte, which no text can carry, sends nothing)
    DeviceFailed,  // the device reported an error; it is gone
    Aborted,       // the user clicked the send button during the wait
    GaveUp,        // the line was held longer than the limit
};

// Writes the character as text and again after a tick while the write times
// out with nothing sent. Events of the ticks other than an abort are dropped.
[[nodiscard]] HeldWrite writeThroughHold(SerialLink& link, Window& window, char c,
                                         const HoldRule& rule);

}  // namespace morvale
