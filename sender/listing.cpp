#include "listing.h"

#include <algorithm>

#include "typing.h"

namespace morvale {

namespace {

// The pause after the carriage return that starts every transfer: CAOS
// switches to its keyboard over V.24, or BASIC opens a new line.
constexpr int kFirstReturnPause = 50;

int firstReturnPause(const TextPacing& pacing) {
    return std::max(kFirstReturnPause, pacing.afterLineEnd);
}

// Writes the characters of one transfer through holds, and ends it for good
// when the device fails or a closing line end is given up.
class TransferWriter {
  public:
    TransferWriter(OperationLine& line, Pacer& pacer, SendReport& report)
        : line_(line), pacer_(pacer), report_(report) {}

    // A character of the text; a stop during a hold ends it.
    HeldWrite type(char c) { return write(c, HoldRule{.stoppable = true}); }
    // A closing line end; a stop during a hold, or the hold limit, gives it
    // up.
    void closeLine() {
        if (write('\r', HoldRule{.stoppable = true, .limit = kHoldLimit}) == HeldWrite::GaveUp) {
            report_.error =
                holdError(line_.portName(), kHoldLimit, "the closing line end was not sent");
        }
    }

  private:
    HeldWrite write(char c, const HoldRule& rule) {
        if (ended_) {
            return HeldWrite::DeviceFailed;
        }
        const HeldWrite outcome = writeThroughHold(line_, pacer_, c, rule);
        if (outcome == HeldWrite::DeviceFailed ||
            (outcome != HeldWrite::Sent && rule.limit != Clock::duration::max())) {
            ended_ = true;
        }
        return outcome;
    }

    OperationLine& line_;
    Pacer& pacer_;
    SendReport& report_;
    bool ended_ = false;
};

// The pause after each character, from the pacing: long at a line end and
// at every 40th character of a line, the line end counting as the next
// line's first.
class LinePacing {
  public:
    explicit LinePacing(const TextPacing& pacing) : pacing_(pacing) {}

    int ticksAfter(char c) {
        ++typed_;
        int ticks = pacing_.afterCharacter;
        if (c == '\r') {
            ticks = pacing_.afterLineEnd +
                    static_cast<int>(typed_ * pacing_.lineEndGrowthPerKilo / 1000);
            lineCount_ = 0;
        }
        if (++lineCount_ == pacing_.lineMark) {
            lineCount_ = 0;
            ticks = std::max(ticks, pacing_.atLineMark);
        }
        return ticks;
    }

  private:
    const TextPacing& pacing_;
    int lineCount_ = 0;
    std::int64_t typed_ = 0;
};

// The text as it goes out: lines end in a carriage return alone.
std::string lineText(std::string_view editorText) {
    std::string text(editorText);
    std::erase(text, '\n');
    return text;
}

bool endsWithLineEnd(std::string_view text) {
    const auto last = text.find_last_not_of(' ');
    return last != std::string_view::npos && text[last] == '\r';
}

}  // namespace

SendReport sendListing(SerialLink& link, Pacer& pacer, std::string_view portName,
                       std::string_view editorText, const TextPacing& textPacing,
                       Progress* progress) {
    SendReport report;
    if (editorText.empty()) {
        report.error = kc::Error{kc::ErrorKind::EmptyFile, 0, "", "nothing to send"};
        return report;
    }
    OperationLine line(link, portName, progress, report);
    if (!line.open(kKeyboardLine)) {
        return report;
    }
    if (progress) {
        progress->planned(planText(editorText, textPacing));
    }
    const std::string text = lineText(editorText);

    TransferWriter writer(line, pacer, report);
    HeldWrite outcome = writer.type('\r');
    if (outcome == HeldWrite::Sent) {
        report.lineEnded = true;
        // A stop while the KC wakes up is not taken.
        pauseTicks(pacer, firstReturnPause(textPacing));
    }

    LinePacing pacing(textPacing);
    for (std::size_t i = 0; i < text.size() && outcome == HeldWrite::Sent; ++i) {
        const char c = text[i];
        outcome = writer.type(c);
        if (outcome != HeldWrite::Sent) {
            break;
        }
        if (pauseUntilStop(pacer, pacing.ticksAfter(c))) {
            outcome = HeldWrite::Stopped;
        }
    }
    if (outcome == HeldWrite::Stopped) {
        report.stopped = true;
        writer.closeLine();
    }
    if (!endsWithLineEnd(text)) {
        writer.closeLine();
    }
    return report;
}

std::vector<int> overlongLines(std::string_view editorText) {
    std::vector<int> lines;
    const std::string text = lineText(editorText);
    int line = 1;
    std::size_t length = 0;
    for (const char c : text) {
        if (c == '\r') {
            ++line;
            length = 0;
        } else if (++length == kLongestBasicLine + 1) {
            lines.push_back(line);
        }
    }
    return lines;
}

TransferPlan planText(std::string_view editorText, const TextPacing& textPacing) {
    if (editorText.empty()) {
        return {};
    }
    const std::string text = lineText(editorText);
    std::int64_t ticks = firstReturnPause(textPacing);
    LinePacing pacing(textPacing);
    for (const char c : text) {
        ticks += pacing.ticksAfter(c);
    }
    const std::int64_t finalReturn = endsWithLineEnd(text) ? 0 : 1;
    return {1 + static_cast<std::int64_t>(text.size()) + finalReturn,
            std::chrono::milliseconds(ticks), characterTime(kKeyboardLine)};
}

}  // namespace morvale
