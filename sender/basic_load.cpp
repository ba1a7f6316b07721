#include "basic_load.h"

#include <array>
#include <string>
#include <vector>

#include "kc85.h"
#include "typing.h"
#include "upload.h"

namespace morvale {

namespace {

// After a line end: CAOS or BASIC takes the line and shows its answer.
constexpr int kTicksAfterLine = 600;
// BASIC's cold start tests the memory up to BFFFh: 3.0 s on the KC 85/4.
constexpr int kTicksForColdStart = 4500;
// CAOS takes ESC again once it has set the line up after an upload's data.
constexpr int kTicksAfterUpload = 50;

// The command state's receive routine, FAE7h, as DOKE takes it (a signed
// word), written into CAOS's vector at 01E2h.
constexpr std::string_view kCommandStateReturn = "DOKE 482,-1305:NEW";

struct SetUpLine {
    std::string_view text;
    int ticksAfter;
};

constexpr std::array<SetUpLine, 4> kSetUp = {{
    {"", kTicksAfterLine},
    {"BASIC", kTicksAfterLine},
    {"", kTicksForColdStart},
    {kCommandStateReturn, kTicksAfterLine},
}};

class Load {
  public:
    Load(OperationLine& line, Pacer& pacer, Progress* progress, SendReport& report)
        : line_(line), pacer_(pacer), progress_(progress), report_(report) {}

    // Types the line and its carriage return, then pauses; false when the
    // load ends here.
    bool type(const SetUpLine& setUp) {
        return typeKeys(line_, pacer_, std::string(setUp.text) + '\r', setUp.ticksAfter, report_,
                        "the KC is not ready for the program; nothing loaded");
    }

    bool upload(BasicLoadStep step, std::uint16_t address, std::span<const std::uint8_t> bytes) {
        if (progress_) {
            progress_->basicLoadStep(step);
        }
        if (!writeUpload(line_, pacer_, address, bytes, progress_, report_)) {
            return false;
        }
        if (pauseUntilStop(pacer_, kTicksAfterUpload)) {
            report_.stopped = true;
            return false;
        }
        return true;
    }

    void handBack() {
        if (progress_) {
            progress_->basicLoadStep(BasicLoadStep::Returning);
        }
        const char enter = static_cast<char>(kc::kEnter);
        if (writeThroughHold(line_, pacer_, enter, {.limit = kHoldLimit}) == HeldWrite::GaveUp) {
            report_.error = holdError(line_.portName(), kHoldLimit,
                                      "the program is loaded, but the line end that gives BASIC "
                                      "the keyboard back was not sent");
        }
    }

  private:
    OperationLine& line_;
    Pacer& pacer_;
    Progress* progress_;
    SendReport& report_;
};

std::vector<std::uint8_t> endPointers(std::size_t imageSize) {
    std::vector<std::uint8_t> words(6);
    const auto end = static_cast<std::uint16_t>(kc::kBasicProgramStart + imageSize);
    for (std::size_t at = 0; at < words.size(); at += 2) {
        kc::writeWord(words, at, end);
    }
    return words;
}

}  // namespace

std::optional<kc::Error> basicLoadRefusal(std::size_t imageSize) {
    if (imageSize <= kLargestLoadableProgram) {
        return std::nullopt;
    }
    return kc::Error{kc::ErrorKind::TooLong, 0, "",
                     "the program's " + std::to_string(imageSize) +
                         " bytes would reach 8000h, where the KC's video memory lies while it "
                         "takes an upload; up to " +
                         std::to_string(kLargestLoadableProgram) +
                         " bytes load over the line, a longer program must be typed"};
}

SendReport loadBasicProgram(SerialLink& link, Pacer& pacer, std::string_view portName,
                            const kc::BasicProgram& program, bool isProtected, Progress* progress) {
    SendReport report;
    const std::vector<std::uint8_t> image = kc::programImage(program);
    if (auto refusal = basicLoadRefusal(image.size())) {
        report.error = std::move(refusal);
        return report;
    }
    OperationLine line(link, portName, progress, report);
    if (!line.open(kUploadLine)) {
        return report;
    }
    if (progress) {
        progress->planned(planBasicLoad(image.size(), isProtected));
        progress->basicLoadStep(BasicLoadStep::PreparingBasic);
    }
    Load load(line, pacer, progress, report);
    for (const SetUpLine& setUp : kSetUp) {
        if (!load.type(setUp)) {
            return report;
        }
    }
    if (!load.upload(BasicLoadStep::Program, kc::kBasicProgramStart, image) ||
        !load.upload(BasicLoadStep::Pointers, kc::kBasicEndPointers, endPointers(image.size()))) {
        return report;
    }
    const std::uint8_t protection[] = {kc::kBasicProtected};
    if (isProtected &&
        !load.upload(BasicLoadStep::Pointers, kc::kBasicProtectionFlag, protection)) {
        return report;
    }
    load.handBack();
    return report;
}

TransferPlan planBasicLoad(std::size_t imageSize, bool isProtected) {
    std::int64_t bytes = 1;  // the closing line end
    std::chrono::milliseconds pauses{0};
    for (const SetUpLine& setUp : kSetUp) {
        bytes += static_cast<std::int64_t>(setUp.text.size()) + 1;
        pauses +=
            std::chrono::milliseconds(kTicksAfterCharacter * setUp.text.size() + setUp.ticksAfter);
    }
    const auto add = [&](std::size_t size) {
        const TransferPlan upload = planUpload(static_cast<std::int32_t>(size));
        bytes += upload.bytes;
        pauses += upload.pauses + std::chrono::milliseconds(kTicksAfterUpload);
    };
    add(imageSize);
    add(6);
    if (isProtected) {
        add(1);
    }
    return {bytes, pauses, characterTime(kUploadLine)};
}

}  // namespace morvale
