// Working the KC's keyboard over the line: a command is typed character by
// character and ended with a carriage return; a key is one key code.
//
// The KC holds the line with XOFF while it is busy (its BASIC storing a line,
// say), and a one-byte write that runs into its time-out meanwhile has sent
// nothing. Such a character is written again, one tick later, until it
// leaves: a hold delays the typing but never loses a character, and the
// link's count tells whether the byte left, so none goes out twice.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "pacer.h"
#include "sending.h"
#include "serial_link.h"

namespace morvale {

// The ticks after a typed character: the KC's keyboard holds one key.
inline constexpr int kTicksAfterCharacter = 6;

// How long a command and a key, which have no stop, wait for a held line.
inline constexpr std::chrono::milliseconds kHoldLimit{10'000};

struct HoldRule {
    // A stop asked for during the wait gives up at once.
    bool stoppable = false;
    // Gives up when the line has been held this long since the first try.
    Clock::duration limit = Clock::duration::max();
};

enum class HeldWrite {
    Sent,          // the character left (a zero byte, which no text can carry, sends nothing)
    DeviceFailed,  // the device reported an error; it is gone
    Stopped,       // a stop was asked for during the wait
    GaveUp,        // the line was held longer than the limit
};

// Writes the character and again after a tick while the write times out
// with nothing sent.
[[nodiscard]] HeldWrite writeThroughHold(OperationLine& line, Pacer& pacer, char c,
                                         const HoldRule& rule);

// Types keys on an open line for an operation that may be stopped: each
// through holds, followed by six ticks, a carriage return by
// ticksAfterReturn. False when it ended early: a stop (report stopped), a
// hold given up (error LineHeld, its words ending in `consequence`) or a
// failed device (DeviceLost). lineEnded is set once a carriage return has
// gone out.
bool typeKeys(OperationLine& line, Pacer& pacer, std::string_view keys, int ticksAfterReturn,
              SendReport& report, std::string_view consequence);

// The error of an operation that gave up waiting for a held line, e.g.
// "COM2: the KC has held the line (XOFF) for 10 s; the key was not sent".
kc::Error holdError(std::string_view portName, std::chrono::milliseconds limit,
                    std::string_view consequence);

// The capital the command line holds for a byte typed into it: a-z and the
// Latin-1 small letters with a Latin-1 capital (not the division sign 0xF7,
// nor sharp s and y with diaeresis, whose capitals lie outside Latin-1).
std::uint8_t commandLineCapital(std::uint8_t latin1);
std::string commandLineCapitals(std::string_view latin1);

// The code of the KC key with this caption ("F1", "BRK", ...), in any case.
std::optional<std::uint8_t> keyNamed(std::string_view name);

// Types the Latin-1 line and a carriage return: each character followed by
// six ticks. A character held up by the KC is written again until it
// leaves; after holdLimit of one hold the rest is dropped (error LineHeld).
// A port that does not open sends nothing (error PortNotOpened).
[[nodiscard]] SendReport typeLine(SerialLink& link, Pacer& pacer, std::string_view portName,
                                  std::string_view line,
                                  std::chrono::milliseconds holdLimit = kHoldLimit);

// Sends one key code alone, waiting through a hold as typeLine does.
[[nodiscard]] SendReport pressKey(SerialLink& link, Pacer& pacer, std::string_view portName,
                                  std::uint8_t code,
                                  std::chrono::milliseconds holdLimit = kHoldLimit);

}  // namespace morvale
