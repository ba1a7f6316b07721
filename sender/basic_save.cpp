#include "basic_save.h"

#include "file_writing.h"
#include "kc85.h"
#include "list_output.h"
#include "typing.h"

namespace morvale {

namespace {

constexpr int kTicksAfterCharacter = 6;
constexpr int kTicksAfterFirstReturn = 600;
constexpr std::size_t kLongestName = 8;

// Types the keys, each followed by its pause; false when the report says
// why not.
bool typeKeys(OperationLine& line, Pacer& pacer, std::string_view keys, SendReport& report) {
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const char c = keys[i];
        const HeldWrite outcome =
            writeThroughHold(line, pacer, c, {.stoppable = true, .limit = kHoldLimit});
        if (outcome == HeldWrite::GaveUp) {
            report.error = holdError(line.portName(), kHoldLimit, "nothing was asked of BASIC");
        }
        if (outcome == HeldWrite::Stopped) {
            report.stopped = true;
        }
        if (outcome != HeldWrite::Sent) {
            return false;
        }
        report.lineEnded = report.lineEnded || c == kc::kEnter;
        Pause pause(pacer);
        // The first line end may switch CAOS from its command state to its
        // keyboard, which takes a moment.
        const int ticks = i == 0 ? kTicksAfterFirstReturn : kTicksAfterCharacter;
        while (pause.ticksDone() < ticks) {
            if (pause.waitThrough(ticks)) {
                report.stopped = true;
                return false;
            }
        }
    }
    return true;
}

}  // namespace

std::string listingName(std::string_view path) {
    std::string name;
    for (const char c : fileStem(path)) {
        const char capital = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        if (((capital >= 'A' && capital <= 'Z') || (capital >= '0' && capital <= '9')) &&
            name.size() < kLongestName) {
            name += capital;
        }
    }
    return name.empty() ? "PROGRAMM" : name;
}

ListingReceived receiveBasicListing(SerialLink& link, Pacer& pacer, std::string_view portName,
                                    std::string_view filePath, Progress* progress,
                                    const HearingLimits& limits) {
    ListingReceived received;
    SendReport& report = received.report;
    OperationLine line(link, portName, progress, report);
    if (!line.open(kHearingLine)) {
        return received;
    }
    const std::string command = "\rLIST#3\"" + listingName(filePath) + "\"\r";
    if (!typeKeys(line, pacer, command, report)) {
        return received;
    }
    std::vector<std::uint8_t> bytes;
    const HearingEnd end = hear(
        line, pacer, limits,
        [](std::span<const std::uint8_t> sofar) { return kc::readListOutput(sofar).ended; }, bytes);
    kc::ListOutput output = kc::readListOutput(bytes);
    received.lines = std::move(output.lines);
    received.whole = output.ended;
    recordHearingEnd(end, report, portName, "the KC sent nothing; is BASIC at its prompt?",
                     "the KC fell silent after " + std::to_string(received.lines.size()) +
                         " lines, before the listing's end");
    return received;
}

}  // namespace morvale
