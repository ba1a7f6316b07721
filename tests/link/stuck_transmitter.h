// A transmitter that never empties: a USB chip holding its bytes under XOFF,
// which no pseudo-terminal can be made into. The test program is linked with
// tcdrain wrapped; while stuck, the wrapped tcdrain blocks until a signal
// interrupts it, as the real one does, and gives up after ten seconds, past
// any test's bound, so a missing interruption fails a test instead of
// hanging it.
#pragma once

#include <atomic>
#include <chrono>

namespace morvale::testing {

struct StuckTransmitter {
    std::atomic<bool> stuck{false};
    // Time spent computing, without a system call that a signal could cut
    // short, before the wait starts: a signal in it is missed.
    std::atomic<std::chrono::milliseconds::rep> lateStartMs{0};
};

StuckTransmitter& stuckTransmitter();

}  // namespace morvale::testing
