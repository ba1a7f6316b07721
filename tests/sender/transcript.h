// One record of what the logic did to the window and the line, in order, so
// that a test can compare a whole transfer with what it must be.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace morvale::testing {

class Transcript {
  public:
    void add(std::string entry);
    // Consecutive ticks merge into one entry "T<count>".
    void tick();
    // One entry per write: up to eight bytes as hex ("[54 00 03 00 02]", a
    // single byte without brackets), longer writes by their length.
    void write(std::span<const std::uint8_t> bytes);

    const std::vector<std::string>& entries() const { return entries_; }
    // Only the writes and ticks, joined by spaces: "0D T50 41 T6 ...".
    std::string line() const;
    // The entries that start with prefix.
    std::vector<std::string> matching(std::string_view prefix) const;

  private:
    std::vector<std::string> entries_;
    bool lastWasTick_ = false;
    int tickRun_ = 0;
};

}  // namespace morvale::testing
