#include "pause.h"

namespace morvale {

Pause::Pause(Window& window, std::chrono::milliseconds tickLength)
    : window_(window), start_(Clock::now()), tickLength_(tickLength) {}

Event Pause::tick() {
    return waitThrough(ticksDone_ + 1);
}

Event Pause::waitThrough(int count) {
    if (ticksDone_ >= count) {
        return Event::none();
    }
    return window_.waitTicks(start_, tickLength_, ticksDone_, count);
}

void pauseTicks(Window& window, int count, std::chrono::milliseconds tickLength) {
    Pause pause(window, tickLength);
    while (pause.ticksDone() < count) {
        pause.waitThrough(count);
    }
}

}  // namespace morvale
