#include "basic_save.h"

#include "file_writing.h"
#include "kc85.h"
#include "list_output.h"
#include "typing.h"

namespace morvale {

namespace {

constexpr int kTicksAfterFirstReturn = 600;
constexpr std::size_t kLongestName = 8;

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
    // The first line end may switch CAOS from its command state to its
    // keyboard, which takes a moment; BASIC answers the second at once.
    const std::string command = "LIST#3\"" + listingName(filePath) + "\"\r";
    constexpr std::string_view kNothingAsked = "nothing was asked of BASIC";
    if (!typeKeys(line, pacer, "\r", kTicksAfterFirstReturn, report, kNothingAsked) ||
        !typeKeys(line, pacer, command, 0, report, kNothingAsked)) {
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
