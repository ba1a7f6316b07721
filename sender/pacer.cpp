#include "pacer.h"

namespace morvale {

Pause::Pause(Pacer& pacer, std::chrono::milliseconds tickLength)
    : pacer_(pacer), start_(Clock::now()), tickLength_(tickLength) {}

bool Pause::tick() {
    return waitThrough(ticksDone_ + 1);
}

bool Pause::waitThrough(int count) {
    if (ticksDone_ >= count) {
        return false;
    }
    return pacer_.waitTicksForStop(start_, tickLength_, ticksDone_, count);
}

bool pauseUntilStop(Pacer& pacer, int count) {
    Pause pause(pacer);
    while (pause.ticksDone() < count) {
        if (pause.waitThrough(count)) {
            return true;
        }
    }
    return false;
}

void pauseTicks(Pacer& pacer, int count, std::chrono::milliseconds tickLength) {
    Pause pause(pacer, tickLength);
    while (pause.ticksDone() < count) {
        static_cast<void>(pause.waitThrough(count));
    }
}

}  // namespace morvale
