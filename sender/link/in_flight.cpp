#include "in_flight.h"

#include <algorithm>

namespace morvale {

namespace {

constexpr std::int64_t kShortestLook = 100'000;  // 0.1 ms

}  // namespace

std::int64_t InFlight::count(std::int64_t now, int queued) const {
    if (!byLineTime_) {
        return queued;
    }
    return std::max<std::int64_t>(queued, (earliestEmpty_ - now + characterNs_ - 1) / characterNs_);
}

std::int64_t InFlight::halfGoneAt(std::int64_t now, std::int64_t inFlight) const {
    const std::int64_t drained = (inFlight - kDriverShare / 2) * characterNs_;
    return now + std::max(drained, kShortestLook);
}

void InFlight::took(std::int64_t now, int queued, std::int64_t taken) {
    handed_ += taken;
    earliestEmpty_ = std::max(earliestEmpty_, now + queued * characterNs_) + taken * characterNs_;
}

}  // namespace morvale
