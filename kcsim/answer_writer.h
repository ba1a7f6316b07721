// What the KC sends, written to the line at the line's pace.
//
// The KC sends a byte every 8.3 ms (1200 baud, 8N1); kcsim hands it to its
// pseudo-terminal no sooner, so a sender hears an answer as it would arrive
// from a KC. The master is non-blocking: when the reader is slower and the
// pseudo-terminal is full, the rest waits and goes out as room comes, never
// holding up the loop; after a stall the pace starts afresh rather than
// catching up in a burst. Nothing is dropped unless asked.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>

#include "error.h"
#include "pace_watch.h"

namespace kcsim {

// Ten bits at 1200 baud.
inline constexpr std::chrono::nanoseconds kByteTime{8'333'333};

class AnswerWriter {
  public:
    // Queues the bytes behind what is still to go; the first of them goes
    // out no sooner than `now`.
    void add(std::span<const std::uint8_t> bytes, Clock::time_point now);
    // Writes to `fd` what is due by `now`. Fails when the pseudo-terminal
    // itself fails; a full one is no failure (blocked() says so).
    [[nodiscard]] std::optional<kc::Error> writeDue(int fd, Clock::time_point now);

    bool pending() const { return !queue_.empty(); }
    // The last write found no room: wait until the descriptor is writable.
    bool blocked() const { return blocked_; }
    // When the next byte is due; nothing when none waits.
    std::optional<Clock::time_point> due() const;
    // When a byte last went out, or the queue was last filled from empty.
    Clock::time_point lastProgress() const { return lastProgress_; }
    // Drops what has not gone out; returns how many bytes.
    std::size_t drop();

  private:
    std::deque<std::uint8_t> queue_;
    Clock::time_point nextAt_{};
    Clock::time_point lastProgress_{};
    bool blocked_ = false;
};

}  // namespace kcsim
