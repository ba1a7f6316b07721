// The bound on tcdrain, which has no time-out of its own.
//
// A timer sends deadlineSignal() to the thread that made it, at a deadline
// and every millisecond after, until disarmed: one signal alone could arrive
// just before tcdrain starts and leave it hanging. The signal's handler does
// nothing and is installed without SA_RESTART, so the signal ends the wait it
// interrupts; the signal is the link's own, so it stays unblocked in that
// thread, and it only comes while the timer is armed. The timer is made once
// per link, at its first bounded wait, so a write costs only arming and
// disarming it.
#pragma once

#include <time.h>

#include <cstdint>
#include <memory>

namespace morvale {

// The signal that bounds waits in a write: the first real-time signal after
// those the C library keeps for itself, plus two.
int deadlineSignal();

class DeadlineTimer {
  public:
    // Installs the handler and makes the timer for the calling thread; a
    // timer that cannot be made never arms.
    DeadlineTimer();
    ~DeadlineTimer();
    DeadlineTimer(const DeadlineTimer&) = delete;
    DeadlineTimer& operator=(const DeadlineTimer&) = delete;

    // Arms the timer for `deadline` (monotonic nanoseconds). False when there
    // is no timer or it cannot be set: then no signal will come.
    [[nodiscard]] bool arm(std::int64_t deadline);
    // A signal generated before this is delivered by the time it returns.
    void disarm();

  private:
    timer_t timer_{};
    bool made_ = false;
};

// The timer of one write: made on the link's first need, armed at most once
// for the write, disarmed when the write is over.
class DrainAlarm {
  public:
    explicit DrainAlarm(std::unique_ptr<DeadlineTimer>& timer) : timer_(timer) {}
    ~DrainAlarm() {
        if (armed_) {
            timer_->disarm();
        }
    }
    DrainAlarm(const DrainAlarm&) = delete;
    DrainAlarm& operator=(const DrainAlarm&) = delete;

    // True once the timer is armed for `deadline`; false when it cannot be,
    // and tcdrain would then go unbounded.
    [[nodiscard]] bool arm(std::int64_t deadline);

  private:
    std::unique_ptr<DeadlineTimer>& timer_;
    bool armed_ = false;
};

}  // namespace morvale
