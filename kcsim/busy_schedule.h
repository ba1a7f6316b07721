// When a busy KC holds the line.
//
// A KC whose BASIC is storing a line may send XOFF and, once done, XON.
// kcsim plays this on request: after every carriage return typed in
// (--busy-after-cr MS), and at chosen byte counts (--xoff-at N:MS). A hold
// that comes while one is on extends it; only one XOFF and one XON go out.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "pace_watch.h"

namespace kcsim {

struct HoldAt {
    std::uint64_t byteCount = 0;  // after the byte with this number (from 1) arrived
    std::chrono::milliseconds hold{0};
};

class BusySchedule {
  public:
    BusySchedule(std::optional<std::chrono::milliseconds> afterCarriageReturn,
                 std::vector<HoldAt> holds);

    // Takes the byteCount-th byte, arrived at `at`; carriageReturn says it
    // ended a typed line. True when XOFF is to go out now.
    bool take(std::uint64_t byteCount, bool carriageReturn, Clock::time_point at);
    // When the running hold ends; nothing when the line is free.
    std::optional<Clock::time_point> releaseAt() const { return releaseAt_; }
    // True, once, when the hold has ended by `now`: XON is to go out.
    bool release(Clock::time_point now);
    std::uint64_t holds() const { return holds_; }

  private:
    bool holdUntil(Clock::time_point until);

    std::optional<std::chrono::milliseconds> afterCarriageReturn_;
    std::vector<HoldAt> holdsAt_;
    std::optional<Clock::time_point> releaseAt_;
    std::uint64_t holds_ = 0;
};

}  // namespace kcsim
