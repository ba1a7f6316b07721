// Time between the bytes of an operation, and the one way to stop it: the
// front-end waits each pause and says whether a stop was asked for
// meanwhile (the window's "Abbruch", kcsend's Ctrl+C).
//
// A pause is a run of ticks on an absolute schedule that starts when the
// pause starts: tick k ends at start + (k + 1) * tickLength, so a pause of 50
// ticks of 1 ms lasts 50 ms however late the system's timers wake up, while
// whatever ran before it (a serial write of 8 ms, say) never counts toward
// it. A pause is waited as one deadline, not one wake-up per tick; a stop
// that is asked for ends the tick it arrived in, exactly as if the ticks had
// been waited one by one.
#pragma once

#include <algorithm>
#include <chrono>

namespace morvale {

using Clock = std::chrono::steady_clock;

// The ticks of a pause that are over when a wait through them ends early
// now: the tick it ended in counts, and at least one more than before.
inline int ticksOverNow(Clock::time_point start, Clock::duration tick, int done, int last) {
    const auto endedIn = static_cast<int>((Clock::now() - start) / tick);
    return std::min(std::max(endedIn + 1, done + 1), last);
}

class Pacer {
  public:
    virtual ~Pacer() = default;

    // Waits until deadline; true, at once, when a stop is asked for first.
    virtual bool waitForStop(Clock::time_point deadline) = 0;
    // Waits through the ticks of a pause from tick done up to the end of
    // tick last - 1. A stop asked for ends the wait in the tick it arrived
    // in, done then counting the ticks over (at least one more than before),
    // and true is returned. A front-end whose waits end early for other
    // reasons too returns false for those with done counted the same way.
    // At the end, false with done = last.
    virtual bool waitTicksForStop(Clock::time_point start, Clock::duration tick, int& done,
                                  int last) {
        if (!waitForStop(start + last * tick)) {
            done = last;
            return false;
        }
        done = ticksOverNow(start, tick, done, last);
        return true;
    }
};

class Pause {
  public:
    explicit Pause(Pacer& pacer,
                   std::chrono::milliseconds tickLength = std::chrono::milliseconds(1));

    // Waits for the end of the next tick; true when a stop ended it.
    bool tick();
    // Waits up to the end of tick count (from 1). True when a stop was asked
    // for first, which ends the tick it arrived in; call again to go on to
    // the same end.
    bool waitThrough(int count);
    int ticksDone() const { return ticksDone_; }

  private:
    Pacer& pacer_;
    Clock::time_point start_;
    std::chrono::milliseconds tickLength_;
    int ticksDone_ = 0;
};

// Runs count ticks; true, as soon as it is asked for, when a stop ends them
// early.
bool pauseUntilStop(Pacer& pacer, int count);

// Runs count ticks whatever is asked for meanwhile.
void pauseTicks(Pacer& pacer, int count,
                std::chrono::milliseconds tickLength = std::chrono::milliseconds(1));

}  // namespace morvale
