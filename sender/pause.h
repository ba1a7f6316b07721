// Pacing for the transfers: a pause is a run of ticks on an absolute
// schedule that starts when the pause starts.
//
// Tick k of a pause ends at start + (k + 1) * tickLength, so a pause of 50
// ticks of 1 ms lasts 50 ms however late the system's timers wake up, while
// whatever ran before the pause (a serial write of 8 ms, say) never counts
// toward it. The window keeps painting meanwhile. A pause is waited as one
// deadline, not one wake-up per tick; an event that arrives ends the tick it
// arrived in, exactly as if the ticks had been waited one by one.
#pragma once

#include <chrono>

#include "window.h"

namespace morvale {

class Pause {
  public:
    explicit Pause(Window& window,
                   std::chrono::milliseconds tickLength = std::chrono::milliseconds(1));

    // Waits for the end of the next tick. An application event that arrives
    // first ends the tick at once and is returned; the schedule stays.
    Event tick();
    // Waits up to the end of tick count (from 1) as one wait. An application
    // event that arrives first ends the tick it arrived in and is returned at
    // once; call again to go on to the same end.
    Event waitThrough(int count);
    int ticksDone() const { return ticksDone_; }

  private:
    Window& window_;
    Clock::time_point start_;
    std::chrono::milliseconds tickLength_;
    int ticksDone_ = 0;
};

// Runs count ticks and drops the events they return.
void pauseTicks(Window& window, int count,
                std::chrono::milliseconds tickLength = std::chrono::milliseconds(1));

}  // namespace morvale
