#include "session.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>

#include "answer_writer.h"
#include "kc85.h"
#include "signal_watch.h"

namespace kcsim {

using posix_io::retryOnEintr;
using posix_io::writeAll;

namespace {

std::optional<kc::Error> sendFlowControl(int master, std::uint8_t byte) {
    if (const int error = writeAll(master, &byte, 1)) {
        return kc::systemError(byte == kc::kXoff ? "cannot send XOFF" : "cannot send XON", error);
    }
    return std::nullopt;
}

// Milliseconds to wait in poll() for `due`, rounded up; -1 for no limit.
int pollTimeout(std::optional<Clock::time_point> due, Clock::time_point now) {
    if (!due) {
        return -1;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - now).count();
    return static_cast<int>(std::clamp<decltype(wait)>(wait, 0, 60'000));
}

std::optional<Clock::time_point> earliest(std::optional<Clock::time_point> due,
                                          Clock::time_point other) {
    return due ? std::min(*due, other) : other;
}

}  // namespace

void show(const std::string& text) {
    if (!text.empty()) {
        writeAll(STDOUT_FILENO, text.data(), text.size());
    }
}

namespace {

// Reads what the master has, stamps it and hands it to the KC, holding the
// line where the schedule says so.
class Receiver {
  public:
    explicit Receiver(SessionParts& parts) : parts_(parts) {}

    // Reads once. Returns the count read, 0 when nothing was waiting, or the
    // failure of the pseudo-terminal.
    Result<std::size_t> readOnce(Clock::time_point& lastActivity) {
        const int master = parts_.pty.master();
        const ssize_t count =
            retryOnEintr([&] { return ::read(master, buffer_.data(), buffer_.size()); });
        if (count < 0 && errno == EAGAIN) {
            return std::size_t{0};
        }
        if (count <= 0) {
            return kc::systemError("the line failed", count == 0 ? EIO : errno);
        }
        const Clock::time_point now = Clock::now();
        lastActivity = now;
        std::string out;
        for (ssize_t i = 0; i < count; ++i) {
            const bool lineEnd = parts_.kc.take(buffer_[i], now, out);
            if (parts_.busy.take(++byteCount_, lineEnd, now)) {
                if (auto failure = sendFlowControl(master, kc::kXoff)) {
                    return *failure;
                }
            }
        }
        show(out);
        return static_cast<std::size_t>(count);
    }

  private:
    SessionParts& parts_;
    std::uint64_t byteCount_ = 0;
    std::array<std::uint8_t, 4096> buffer_{};
};

}  // namespace

std::optional<kc::Error> serveLine(SessionParts parts) {
    const int master = parts.pty.master();
    Receiver receiver(parts);
    AnswerWriter answer;
    Clock::time_point lastActivity = Clock::now();

    for (;;) {
        Clock::time_point now = Clock::now();
        std::optional<Clock::time_point> due = parts.busy.releaseAt();
        if (!due) {
            if (parts.kc.writingMemory()) {
                due = lastActivity + kGiveUpAfter;
            }
            if (parts.exitAfterIdle) {
                due = earliest(due, lastActivity + *parts.exitAfterIdle);
            }
        }
        if (answer.pending()) {
            due = earliest(due,
                           answer.blocked() ? answer.lastProgress() + kGiveUpAfter : *answer.due());
        }
        const short masterEvents = POLLIN | (answer.blocked() ? POLLOUT : 0);
        std::array<pollfd, 2> fds{{{master, masterEvents, 0}, {parts.signalFd, POLLIN, 0}}};
        if (retryOnEintr([&] { return ::poll(fds.data(), fds.size(), pollTimeout(due, now)); }) <
            0) {
            return kc::systemError("cannot wait for the line", errno);
        }
        if (fds[1].revents != 0) {
            const std::optional<int> signal = takeSignal(parts.signalFd);
            if (signal == kResetSignal) {
                std::string out;
                parts.kc.reset(out);
                answer.drop();
                show(out);
            } else if (signal) {
                // What has arrived by now still belongs in the summary.
                for (;;) {
                    auto read = receiver.readOnce(lastActivity);
                    if (auto* failure = std::get_if<kc::Error>(&read)) {
                        return *failure;
                    }
                    if (std::get<std::size_t>(read) == 0) {
                        break;
                    }
                }
                break;
            }
        }
        // One read per wake-up, so a peer that never pauses cannot keep the
        // loop from its signals and holds.
        if ((fds[0].revents & POLLIN) != 0) {
            auto read = receiver.readOnce(lastActivity);
            if (auto* failure = std::get_if<kc::Error>(&read)) {
                return *failure;
            }
            answer.add(parts.kc.takeSent(), Clock::now());
        }
        now = Clock::now();
        if (auto failure = answer.writeDue(master, now)) {
            return failure;
        }
        if (answer.pending()) {
            lastActivity = std::max(lastActivity, answer.lastProgress());
            if (now - answer.lastProgress() >= kGiveUpAfter) {
                std::string out;
                parts.kc.answerDropped(answer.drop(), out);
                show(out);
            }
        }
        if (parts.busy.release(now)) {
            lastActivity = std::max(lastActivity, now);
            if (auto failure = sendFlowControl(master, kc::kXon)) {
                return failure;
            }
        }
        if (parts.busy.releaseAt()) {
            continue;
        }
        if (parts.kc.writingMemory() && now - lastActivity >= kGiveUpAfter) {
            std::string out;
            parts.kc.giveUp(out);
            show(out);
        }
        if (parts.exitAfterIdle && !answer.pending() &&
            now - lastActivity >= *parts.exitAfterIdle) {
            break;
        }
    }
    if (parts.busy.releaseAt()) {
        return sendFlowControl(master, kc::kXon);
    }
    return std::nullopt;
}

}  // namespace kcsim
