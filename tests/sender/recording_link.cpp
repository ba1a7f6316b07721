#include "recording_link.h"

#include <algorithm>
#include <string>
#include <thread>

namespace morvale::testing {

bool RecordingLink::open(std::string_view portName, const LineSettings& settings) {
    transcript_.add("open " + std::string(portName) + " " +
                    std::to_string(settings.inputBufferSize) + (openSucceeds ? "" : " failed"));
    if (openSucceeds) {
        open_ = true;
        lastSettings = settings;
    }
    return openSucceeds;
}

WriteResult RecordingLink::writeBytes(std::span<const std::uint8_t> bytes) {
    if (!open_) {
        transcript_.add("write while closed");
        return {};
    }
    transcript_.write(bytes);
    const WriteResult result =
        onWrite ? onWrite(bytes) : WriteResult{static_cast<std::int32_t>(bytes.size()), false};
    sent.insert(sent.end(), bytes.begin(), bytes.begin() + result.written);
    return result;
}

ReadResult RecordingLink::readBytes(std::span<std::uint8_t> into,
                                    std::chrono::steady_clock::time_point deadline) {
    if (!open_) {
        return {};
    }
    if (answer.empty()) {
        std::this_thread::sleep_until(deadline);
        return {};
    }
    const std::size_t count = std::min({into.size(), answer.size(), readPiece});
    std::copy_n(answer.begin(), count, into.begin());
    answer.erase(answer.begin(), answer.begin() + static_cast<std::ptrdiff_t>(count));
    return {static_cast<std::int32_t>(count), false};
}

void RecordingLink::close() {
    if (open_) {
        transcript_.add("close");
    }
    open_ = false;
}

}  // namespace morvale::testing
