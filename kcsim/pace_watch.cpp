#include "pace_watch.h"

#include <utility>

namespace kcsim {

PaceCounts& PaceCounts::operator+=(const PaceCounts& more) {
    characters += more.characters;
    lines += more.lines;
    escapes += more.escapes;
    romBytes += more.romBytes;
    return *this;
}

std::optional<Clock::duration> PaceWatch::take(ByteRole role, Clock::time_point at) {
    const std::optional<Clock::time_point> previousAt = std::exchange(previousAt_, at);
    const ByteRole previous = std::exchange(previous_, role);
    if (!previousAt) {
        return std::nullopt;
    }
    const Clock::duration gap = at - *previousAt;
    if (previous == ByteRole::CarriageReturn && gap < kLineGap) {
        ++counts_.lines;
        return gap;
    }
    if (role == ByteRole::T && gap < kEscapeGap) {
        ++counts_.escapes;
        return gap;
    }
    if (previous == ByteRole::Character && role != ByteRole::T && role != ByteRole::Other &&
        gap < kCharacterGap) {
        ++counts_.characters;
        return gap;
    }
    return std::nullopt;
}

}  // namespace kcsim
