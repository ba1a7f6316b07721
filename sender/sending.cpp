#include "sending.h"

namespace morvale {

OperationLine::OperationLine(SerialLink& link, std::string_view portName, Progress* progress,
                             SendReport& report)
    : link_(link), portName_(portName), progress_(progress), report_(report) {}

OperationLine::~OperationLine() {
    if (opened_) {
        link_.close();
    }
}

bool OperationLine::open(const LineSettings& settings) {
    opened_ = link_.open(portName_, settings);
    if (!opened_) {
        report_.error = link_.lastFailure().value_or(
            kc::Error{kc::ErrorKind::PortNotOpened, 0, "", "the port did not open"});
    }
    return opened_;
}

WriteResult OperationLine::write(std::span<const std::uint8_t> bytes) {
    if (progress_) {
        progress_->writing(static_cast<std::int64_t>(bytes.size()));
    }
    const WriteResult result = link_.writeBytes(bytes);
    report_.bytesSent += result.written;
    if (progress_) {
        progress_->wrote(result.written);
    }
    if (result.failed) {
        lose();
    }
    return result;
}

ReadResult OperationLine::read(std::span<std::uint8_t> into, Clock::time_point deadline) {
    const ReadResult result = link_.readBytes(into, deadline);
    report_.bytesReceived += result.received;
    if (progress_ && result.received > 0) {
        progress_->received(report_.bytesReceived);
    }
    if (result.failed) {
        lose();
    }
    return result;
}

void OperationLine::lose() {
    auto failure = link_.lastFailure();
    if (!failure || failure->kind != kc::ErrorKind::DeviceLost) {
        failure = kc::Error{kc::ErrorKind::DeviceLost, 0, "", "the device failed"};
    }
    report_.error = failure;
    if (progress_) {
        progress_->deviceLost(*failure);
    }
}

}  // namespace morvale
