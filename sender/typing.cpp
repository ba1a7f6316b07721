#include "typing.h"

#include <algorithm>

#include "kc85.h"

namespace morvale {

namespace {

bool sameCaption(std::string_view caption, std::string_view name) {
    return caption.size() == name.size() &&
           std::equal(caption.begin(), caption.end(), name.begin(), [](char a, char b) {
               return a == (b >= 'a' && b <= 'z' ? static_cast<char>(b - 'a' + 'A') : b);
           });
}

}  // namespace

HeldWrite writeThroughHold(OperationLine& line, Pacer& pacer, char c, const HoldRule& rule) {
    if (c == '\0') {
        return HeldWrite::Sent;
    }
    const Clock::time_point firstTry = Clock::now();
    for (;;) {
        const WriteResult result = line.write({reinterpret_cast<const std::uint8_t*>(&c), 1});
        if (result.failed) {
            return HeldWrite::DeviceFailed;
        }
        if (result.written > 0) {
            return HeldWrite::Sent;
        }
        if (Clock::now() - firstTry >= rule.limit) {
            return HeldWrite::GaveUp;
        }
        Pause pause(pacer);
        if (pause.tick() && rule.stoppable) {
            return HeldWrite::Stopped;
        }
    }
}

bool typeKeys(OperationLine& line, Pacer& pacer, std::string_view keys, int ticksAfterReturn,
              SendReport& report, std::string_view consequence) {
    for (const char c : keys) {
        const HeldWrite outcome =
            writeThroughHold(line, pacer, c, {.stoppable = true, .limit = kHoldLimit});
        if (outcome == HeldWrite::GaveUp) {
            report.error = holdError(line.portName(), kHoldLimit, consequence);
        }
        if (outcome == HeldWrite::Stopped) {
            report.stopped = true;
        }
        if (outcome != HeldWrite::Sent) {
            return false;
        }
        const bool lineEnd = c == static_cast<char>(kc::kEnter);
        report.lineEnded = report.lineEnded || lineEnd;
        if (pauseUntilStop(pacer, lineEnd ? ticksAfterReturn : kTicksAfterCharacter)) {
            report.stopped = true;
            return false;
        }
    }
    return true;
}

kc::Error holdError(std::string_view portName, std::chrono::milliseconds limit,
                    std::string_view consequence) {
    const auto ms = limit.count();
    const std::string held =
        ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
    return {kc::ErrorKind::LineHeld, 0, std::string(portName),
            "the KC has held the line (XOFF) for " + held + "; " + std::string(consequence)};
}

std::uint8_t commandLineCapital(std::uint8_t latin1) {
    const bool small =
        (latin1 >= 'a' && latin1 <= 'z') || (latin1 >= 0xE0 && latin1 <= 0xFE && latin1 != 0xF7);
    return small ? static_cast<std::uint8_t>(latin1 - 0x20) : latin1;
}

std::string commandLineCapitals(std::string_view latin1) {
    std::string capitals(latin1);
    for (char& c : capitals) {
        c = static_cast<char>(commandLineCapital(static_cast<std::uint8_t>(c)));
    }
    return capitals;
}

std::optional<std::uint8_t> keyNamed(std::string_view name) {
    for (const auto& key : kc::kSpecialKeys) {
        if (sameCaption(key.caption, name)) {
            return key.code;
        }
    }
    return std::nullopt;
}

SendReport typeLine(SerialLink& link, Pacer& pacer, std::string_view portName,
                    std::string_view text, std::chrono::milliseconds holdLimit) {
    SendReport report;
    OperationLine line(link, portName, nullptr, report);
    if (!line.open(kKeyboardLine)) {
        return report;
    }
    const HoldRule rule{.stoppable = false, .limit = holdLimit};
    const std::string command = std::string(text) + '\r';
    for (std::size_t i = 0; i < command.size(); ++i) {
        const HeldWrite outcome = writeThroughHold(line, pacer, command[i], rule);
        if (outcome == HeldWrite::GaveUp) {
            report.error = holdError(portName, holdLimit, "the rest of the command was not sent");
        }
        if (outcome != HeldWrite::Sent) {
            break;
        }
        if (command[i] == '\r') {
            report.lineEnded = true;
        }
        if (i + 1 < command.size()) {
            pauseTicks(pacer, kTicksAfterCharacter);
        }
    }
    return report;
}

SendReport pressKey(SerialLink& link, Pacer& pacer, std::string_view portName, std::uint8_t code,
                    std::chrono::milliseconds holdLimit) {
    SendReport report;
    OperationLine line(link, portName, nullptr, report);
    if (!line.open(kKeyboardLine)) {
        return report;
    }
    const HoldRule rule{.stoppable = false, .limit = holdLimit};
    if (writeThroughHold(line, pacer, static_cast<char>(code), rule) == HeldWrite::GaveUp) {
        report.error = holdError(portName, holdLimit, "the key was not sent");
    }
    return report;
}

}  // namespace morvale
