// Time as the link reckons it: nanoseconds on the monotonic clock, which
// neither jumps nor stands still when the wall clock is set.
#pragma once

#include <time.h>

#include <chrono>
#include <cstdint>

namespace morvale {

inline constexpr std::int64_t kSecond = 1'000'000'000;
inline constexpr std::int64_t kMillisecond = 1'000'000;

inline std::int64_t monotonicNow() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * kSecond + now.tv_nsec;
}

// A steady_clock time on the same scale: on Linux steady_clock is
// CLOCK_MONOTONIC, counted in nanoseconds.
inline std::int64_t monotonicNs(std::chrono::steady_clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
}

inline timespec toTimespec(std::int64_t ns) {
    return {static_cast<time_t>(ns / kSecond), static_cast<long>(ns % kSecond)};
}

}  // namespace morvale
