#include "pace_watch.h"

#include <algorithm>
#include <utility>

namespace kcsim {

std::optional<Finding> PaceWatch::take(ByteRole role, Clock::time_point at) {
    const std::optional<Clock::time_point> previousAt = std::exchange(previousAt_, at);
    std::optional<Need> need = need_;
    if (std::exchange(afterEscape_, false)) {
        // A byte other than T makes the ESC a keystroke after all.
        need = role == ByteRole::T ? Need{TooSoon::T, kEscapeGap}
                                   : Need{TooSoon::Character, kCharacterGap};
    }
    need_ = needAfter(role);
    if (!previousAt) {
        return std::nullopt;
    }
    const Clock::duration gap = at - *previousAt;
    credit_ = std::min<Clock::duration>(kCreditLimit,
                                        credit_ + gap - (need ? need->gap : Clock::duration{}));
    if (credit_ >= Clock::duration{}) {
        return std::nullopt;
    }
    credit_ = {};
    switch (need->kind) {
        case TooSoon::Character:
            ++counts_.characters;
            break;
        case TooSoon::Line:
            ++counts_.lines;
            break;
        case TooSoon::Wrap:
            ++counts_.wraps;
            break;
        case TooSoon::T:
            ++counts_.escapes;
            break;
    }
    return Finding{need->kind, gap, need->gap};
}

std::optional<PaceWatch::Need> PaceWatch::needAfter(ByteRole role) {
    switch (role) {
        case ByteRole::CarriageReturn:
            ++typed_;
            column_ = 1;
            return Need{TooSoon::Line, lineGapAfter(typed_)};
        case ByteRole::Character:
            ++typed_;
            if (++column_ == kWrapColumn) {
                column_ = 0;
                return Need{TooSoon::Wrap, kWrapGap};
            }
            return Need{TooSoon::Character, kCharacterGap};
        case ByteRole::Escape:
            afterEscape_ = true;
            return std::nullopt;
        case ByteRole::T:
        case ByteRole::Other:
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace kcsim
