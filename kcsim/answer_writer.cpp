#include "answer_writer.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "file_descriptor.h"

namespace kcsim {

void AnswerWriter::add(std::span<const std::uint8_t> bytes, Clock::time_point now) {
    if (bytes.empty()) {
        return;
    }
    if (queue_.empty()) {
        nextAt_ = std::max(nextAt_, now);
        lastProgress_ = now;
    }
    queue_.insert(queue_.end(), bytes.begin(), bytes.end());
}

std::optional<Clock::time_point> AnswerWriter::due() const {
    if (queue_.empty()) {
        return std::nullopt;
    }
    return nextAt_;
}

std::optional<kc::Error> AnswerWriter::writeDue(int fd, Clock::time_point now) {
    if (queue_.empty() || now < nextAt_) {
        return std::nullopt;
    }
    // A stall leaves no backlog of due bytes to burst out.
    nextAt_ = std::max(nextAt_, now - kByteTime);
    const auto dueCount = static_cast<std::size_t>((now - nextAt_) / kByteTime) + 1;
    std::array<std::uint8_t, 256> piece{};
    const std::size_t count = std::min({dueCount, queue_.size(), piece.size()});
    std::copy_n(queue_.begin(), count, piece.begin());
    const ssize_t written =
        posix_io::retryOnEintr([&] { return ::write(fd, piece.data(), count); });
    if (written < 0) {
        blocked_ = errno == EAGAIN;
        return blocked_ ? std::nullopt
                        : std::optional(kc::systemError("cannot send the KC's answer", errno));
    }
    const auto sent = static_cast<std::size_t>(written);
    blocked_ = sent < count;
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(sent));
    nextAt_ += kByteTime * static_cast<std::int64_t>(sent);
    if (sent > 0) {
        lastProgress_ = now;
    }
    return std::nullopt;
}

std::size_t AnswerWriter::drop() {
    const std::size_t dropped = queue_.size();
    queue_.clear();
    blocked_ = false;
    return dropped;
}

}  // namespace kcsim
