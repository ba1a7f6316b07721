#include "pause.h"

namespace morvale {

Pause::Pause(Window& window, std::chrono::milliseconds tickLength)
    : window_(window), start_(Clock::now()), tickLength_(tickLength) {}

Event Pause::tick() {
    ++ticksDone_;
    return window_.waitEventUntil(start_ + ticksDone_ * tickLength_);
}

void pauseTicks(Window& window, int count, std::chrono::milliseconds tickLength) {
    Pause pause(window, tickLength);
    for (int k = 0; k < count; ++k) {
        pause.tick();
    }
}

}  // namespace morvale
