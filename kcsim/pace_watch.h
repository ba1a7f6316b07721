// What a real KC might have missed, judged from the gap before each byte.
//
// The KC takes keystrokes over the line one at a time and holds one key and
// no more, so a key that comes while the firmware is busy is lost. The needs
// below were measured against the KC 85/4's firmware typing listings:
// - 6 ms between two characters;
// - after a carriage return, 400 ms plus 23 ms per 1000 characters typed
//   since kcsim started, as BASIC stores the line and takes longer the longer
//   its program is (the characters typed stand for its size);
// - after a line's 40th character, 300 ms, as the cursor wraps to a new row
//   of the 40-column screen, which may scroll; the carriage return counts as
//   the next line's first character, as the sender counts;
// - 50 ms between ESC and the T of a memory write (the switch to polling).
// The sender's pauses carry half again as margin over these, except between
// characters and before T, where they are the need itself. Bytes for the ROM
// are lost whatever the pace.
//
// A pseudo-terminal has no line time, and a byte is stamped when kcsim gets
// round to reading it, now and then a few milliseconds after the kernel
// passed it on: a sender that pauses exactly 6 ms would be seen short. A
// byte read late shortens the gap after it by as much as it lengthened the
// gap before, so what gaps had to spare over their needs is kept as credit,
// up to kCreditLimit, and spent on a gap that falls short; a byte counts as
// too soon when the credit does not cover its gap's shortfall. So the
// first of several hurried bytes after a pause may pass unseen, and a finding
// is a warning to count, never a failure.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace kcsim {

using Clock = std::chrono::steady_clock;

inline constexpr std::chrono::milliseconds kCharacterGap{6};
inline constexpr std::chrono::milliseconds kLineGap{400};
inline constexpr std::chrono::microseconds kLineGapPerCharacter{23};
inline constexpr std::chrono::milliseconds kWrapGap{300};
inline constexpr int kWrapColumn = 40;
inline constexpr std::chrono::milliseconds kEscapeGap{50};
inline constexpr std::chrono::milliseconds kCreditLimit{5};

// What a line end needs after `typed` keystrokes, the line end included.
constexpr Clock::duration lineGapAfter(std::uint64_t typed) {
    return kLineGap + kLineGapPerCharacter * static_cast<std::int64_t>(typed);
}

// What a byte was to the KC, as far as pace matters.
enum class ByteRole {
    Character,       // a keystroke other than a carriage return
    CarriageReturn,  // a keystroke that ends a line
    Escape,          // ESC, which may start a memory write
    T,               // the T after ESC
    Other,           // header and data of a memory write
};

enum class TooSoon {
    Character,  // after a character
    Line,       // after a carriage return
    Wrap,       // after a line's 40th character
    T,          // T after ESC
};

struct Finding {
    TooSoon kind = TooSoon::Character;
    Clock::duration gap{};
    Clock::duration need{};
};

struct PaceCounts {
    std::uint64_t characters = 0;  // sooner than kCharacterGap after a character
    std::uint64_t lines = 0;       // sooner than lineGapAfter after a carriage return
    std::uint64_t wraps = 0;       // sooner than kWrapGap after a line's 40th character
    std::uint64_t escapes = 0;     // T sooner than kEscapeGap after ESC
    std::uint64_t romBytes = 0;    // data for E000 and up

    std::uint64_t total() const { return characters + lines + wraps + escapes + romBytes; }
    friend bool operator==(const PaceCounts&, const PaceCounts&) = default;
};

class PaceWatch {
  public:
    // Judges the byte that arrived at `at` in `role`, after whatever came
    // before it, and counts it when it came too soon, beyond the credit;
    // says how, then.
    std::optional<Finding> take(ByteRole role, Clock::time_point at);
    void countRomByte() { ++counts_.romBytes; }

    const PaceCounts& counts() const { return counts_; }

  private:
    struct Need {
        TooSoon kind;
        Clock::duration gap;
    };

    // What the KC needs after a byte in `role` before the next; counts the
    // keystrokes and the line's characters as it goes.
    std::optional<Need> needAfter(ByteRole role);

    std::optional<Clock::time_point> previousAt_;
    std::optional<Need> need_;
    bool afterEscape_ = false;
    std::uint64_t typed_ = 0;
    int column_ = 0;
    Clock::duration credit_{};
    PaceCounts counts_;
};

}  // namespace kcsim
