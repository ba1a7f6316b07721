#include "busy_schedule.h"

#include <algorithm>

namespace kcsim {

BusySchedule::BusySchedule(std::optional<std::chrono::milliseconds> afterCarriageReturn,
                           std::vector<HoldAt> holds)
    : afterCarriageReturn_(afterCarriageReturn), holdsAt_(std::move(holds)) {}

bool BusySchedule::take(std::uint64_t byteCount, bool carriageReturn, Clock::time_point at) {
    bool xoff = false;
    if (carriageReturn && afterCarriageReturn_) {
        xoff |= holdUntil(at + *afterCarriageReturn_);
    }
    for (const HoldAt& hold : holdsAt_) {
        if (hold.byteCount == byteCount) {
            xoff |= holdUntil(at + hold.hold);
        }
    }
    return xoff;
}

bool BusySchedule::holdUntil(Clock::time_point until) {
    if (releaseAt_) {
        releaseAt_ = std::max(*releaseAt_, until);
        return false;
    }
    releaseAt_ = until;
    ++holds_;
    return true;
}

bool BusySchedule::release(Clock::time_point now) {
    if (!releaseAt_ || now < *releaseAt_) {
        return false;
    }
    releaseAt_.reset();
    return true;
}

}  // namespace kcsim
