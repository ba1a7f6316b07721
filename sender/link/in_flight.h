// What one write has handed the driver and may not have left the computer
// yet.
//
// The driver is handed at most kDriverShare bytes at a time and topped up as
// they go, so an XOFF from the KC stops the flow within a few characters even
// on adapters whose chips keep sending what they already hold. What is on its
// way is what the driver's queue (TIOCOUTQ) reports. Where the link keeps the
// flow itself the adapter's queue may hide its chip's buffer, so there it is
// also reckoned by line time: each byte handed leaves no sooner than one
// character time after the bytes before it, and the larger count holds.
// Times are nanoseconds on the monotonic clock.
#pragma once

#include <cstdint>

namespace morvale {

// The most the driver is handed at once: what may still go out after an XOFF.
inline constexpr std::int64_t kDriverShare = 16;

class InFlight {
  public:
    InFlight(std::int64_t characterNs, bool byLineTime)
        : characterNs_(characterNs), byLineTime_(byLineTime) {}

    // Bytes the driver has taken so far.
    std::int64_t handed() const { return handed_; }
    // The earliest the last byte handed can have left: the bytes queued
    // before it and it itself take their line time at least.
    std::int64_t earliestEmpty() const { return earliestEmpty_; }

    // The bytes on their way at `now`, with `queued` in the driver's queue.
    std::int64_t count(std::int64_t now, int queued) const;
    // When to look again while `inFlight` bytes, a whole share, are on their
    // way: once about half of the share has gone, and no sooner than 0.1 ms
    // from now.
    std::int64_t halfGoneAt(std::int64_t now, std::int64_t inFlight) const;
    // The driver took `taken` bytes at `now`, behind `queued` ones.
    void took(std::int64_t now, int queued, std::int64_t taken);

  private:
    std::int64_t characterNs_;
    bool byLineTime_;
    std::int64_t handed_ = 0;
    std::int64_t earliestEmpty_ = 0;
};

}  // namespace morvale
