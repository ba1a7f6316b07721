#include "memory_dump.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "kc85.h"
#include "memory_sender.h"
#include "upload.h"

namespace morvale {

namespace {

// CAOS takes ESC again once it has set the line up after an upload's data.
constexpr int kTicksAfterUpload = 50;

}  // namespace

std::uint16_t dumpRoutineFirst() {
    return kc::memorySenderAddress();
}

std::uint16_t dumpRoutineLast() {
    return static_cast<std::uint16_t>(kc::memorySenderAddress() + kc::memorySenderSize() - 1);
}

bool coversDumpRoutine(std::uint16_t from, std::uint32_t count) {
    for (std::uint32_t at = dumpRoutineFirst(); at <= dumpRoutineLast(); ++at) {
        if (((at - from) & 0xFFFF) < count) {  // the range may wrap round at FFFFh
            return true;
        }
    }
    return false;
}

MemoryDump dumpMemory(SerialLink& link, Pacer& pacer, std::string_view portName, std::uint16_t from,
                      std::uint32_t count, Progress* progress, const HearingLimits& limits) {
    MemoryDump dump;
    SendReport& report = dump.report;
    const auto field = static_cast<std::uint16_t>(count);  // 65536 is 0 on the line
    OperationLine line(link, portName, progress, report);
    if (!line.open(kHearingLine)) {
        return dump;
    }
    if (progress) {
        progress->planned(planDump(count));
    }
    const std::vector<std::uint8_t> routine = kc::memorySenderCode(from, field);
    if (!writeUpload(line, pacer, dumpRoutineFirst(), routine, nullptr, report)) {
        return dump;
    }
    if (report.shortPieces > 0) {
        report.error = kc::Error{kc::ErrorKind::PieceShort, 0, std::string(portName),
                                 "the reading routine did not go out whole"};
        return dump;
    }
    pauseTicks(pacer, kTicksAfterUpload);
    if (!writeStart(line, pacer, dumpRoutineFirst(), report)) {
        return dump;
    }
    const std::size_t frameSize = kc::memoryFrameSize(field);
    std::vector<std::uint8_t> frame;
    const HearingEnd end = hear(
        line, pacer, limits,
        [&](std::span<const std::uint8_t> sofar) { return sofar.size() >= frameSize; }, frame);
    if (end == HearingEnd::Whole) {
        auto read = kc::readMemoryFrame(frame, from, field, std::string(portName));
        if (auto* error = std::get_if<kc::Error>(&read)) {
            report.error = *error;
        } else {
            dump.memory = std::get<std::vector<std::uint8_t>>(std::move(read));
        }
    }
    recordHearingEnd(end, report, portName,
                     "the KC did not answer; it takes the reading routine only in its command "
                     "state",
                     "the KC fell silent after " + std::to_string(frame.size()) + " of " +
                         std::to_string(frameSize) + " bytes");
    return dump;
}

MemoryCheck checkMemory(SerialLink& link, Pacer& pacer, std::string_view portName,
                        std::uint16_t address, std::span<const std::uint8_t> image,
                        Progress* progress, const HearingLimits& limits) {
    MemoryCheck check;
    if (image.empty()) {
        return check;
    }
    if (coversDumpRoutine(address, static_cast<std::uint32_t>(image.size()))) {
        check.report.error = kc::Error{kc::ErrorKind::AddressRefused, 0, "",
                                       "the image covers " + kc::hexWord(dumpRoutineFirst()) +
                                           "h to " + kc::hexWord(dumpRoutineLast()) +
                                           "h, where the routine that reads it back must go"};
        return check;
    }
    MemoryDump dump = dumpMemory(link, pacer, portName, address,
                                 static_cast<std::uint32_t>(image.size()), progress, limits);
    check.report = std::move(dump.report);
    if (!check.report.complete()) {
        return check;
    }
    const auto differs = std::mismatch(image.begin(), image.end(), dump.memory.begin());
    if (differs.first != image.end()) {
        const auto at = static_cast<std::uint16_t>(address + (differs.first - image.begin()));
        check.firstDifference = at;
        char bytes[32];
        std::snprintf(bytes, sizeof bytes, "%02X, not %02X", *differs.second, *differs.first);
        check.report.error = kc::Error{kc::ErrorKind::Differs, 0, std::string(portName),
                                       "the KC's memory differs from the image at " +
                                           kc::hexWord(at) + "h: it holds " + bytes};
    }
    return check;
}

TransferPlan planDump(std::uint32_t count) {
    const TransferPlan routine = planUpload(static_cast<std::int32_t>(kc::memorySenderSize()));
    const auto start = std::chrono::milliseconds(kTicksAfterUpload + 50);
    return {routine.bytes + 4 + static_cast<std::int64_t>(kc::kMemoryFrameOverhead + count),
            routine.pauses + start, characterTime(kHearingLine)};
}

}  // namespace morvale
