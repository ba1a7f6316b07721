#include "hearing.h"

#include <algorithm>

namespace morvale {

namespace {

constexpr std::chrono::milliseconds kSlice{50};

}  // namespace

HearingEnd hear(OperationLine& line, Pacer& pacer, const HearingLimits& limits,
                const std::function<bool(std::span<const std::uint8_t>)>& whole,
                std::vector<std::uint8_t>& bytes) {
    std::uint8_t buffer[1024];
    Clock::time_point giveUp = Clock::now() + limits.firstByte;
    for (;;) {
        if (whole(bytes)) {
            return HearingEnd::Whole;
        }
        const Clock::time_point now = Clock::now();
        if (now >= giveUp) {
            return bytes.empty() ? HearingEnd::NoAnswer : HearingEnd::Silent;
        }
        const ReadResult read = line.read(buffer, std::min(giveUp, now + kSlice));
        if (read.failed) {
            return HearingEnd::Failed;
        }
        if (read.received > 0) {
            bytes.insert(bytes.end(), buffer, buffer + read.received);
            giveUp = Clock::now() + limits.silence;
        }
        if (pacer.waitForStop(Clock::now())) {
            return HearingEnd::Stopped;
        }
    }
}

void recordHearingEnd(HearingEnd end, SendReport& report, std::string_view portName,
                      std::string noAnswer, std::string silent) {
    const auto error = [&](kc::ErrorKind kind, std::string words) {
        report.error = kc::Error{kind, 0, std::string(portName), std::move(words)};
    };
    switch (end) {
        case HearingEnd::Whole:
        case HearingEnd::Failed:
            break;
        case HearingEnd::Stopped:
            report.stopped = true;
            break;
        case HearingEnd::NoAnswer:
            error(kc::ErrorKind::NoAnswer, std::move(noAnswer));
            break;
        case HearingEnd::Silent:
            error(kc::ErrorKind::CutShort, std::move(silent));
            break;
    }
}

}  // namespace morvale
