// What a real KC might have missed, judged from the gap before each byte.
//
// The KC takes keystrokes over the line one at a time: it needs about 6 ms
// between two characters, about 50 ms after a carriage return (a line being
// stored) and about 50 ms between ESC and the T of a memory write (the
// switch to polling). Bytes for the ROM are lost whatever the pace. A
// pseudo-terminal has no line time and the stamps are taken when kcsim gets
// round to reading, so every finding is a warning to count, never a failure.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace kcsim {

using Clock = std::chrono::steady_clock;

inline constexpr std::chrono::milliseconds kCharacterGap{6};
inline constexpr std::chrono::milliseconds kLineGap{50};
inline constexpr std::chrono::milliseconds kEscapeGap{50};

// What a byte was to the KC, as far as pace matters.
enum class ByteRole {
    Character,       // a keystroke other than a carriage return, ESC included
    CarriageReturn,  // a keystroke that ends a line
    T,               // the T after ESC
    Other,           // header and data of a memory write
};

struct PaceCounts {
    std::uint64_t characters = 0;  // sooner than kCharacterGap after a character
    std::uint64_t lines = 0;       // sooner than kLineGap after a carriage return
    std::uint64_t escapes = 0;     // T sooner than kEscapeGap after ESC
    std::uint64_t romBytes = 0;    // data for E000 and up

    std::uint64_t total() const { return characters + lines + escapes + romBytes; }
    PaceCounts& operator+=(const PaceCounts& more);
};

class PaceWatch {
  public:
    // Judges the byte that arrived at `at` in `role`, after whatever came
    // before it, and counts it when too soon. Returns the gap when it was.
    std::optional<Clock::duration> take(ByteRole role, Clock::time_point at);
    void countRomByte() { ++counts_.romBytes; }

    const PaceCounts& counts() const { return counts_; }

  private:
    std::optional<Clock::time_point> previousAt_;
    ByteRole previous_ = ByteRole::Other;
    PaceCounts counts_;
};

}  // namespace kcsim
