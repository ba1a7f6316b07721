#include "termios_serial_link.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <iostream>
#include <memory>
#include <optional>
#include <utility>

#include "file_descriptor.h"
#include "in_flight.h"
#include "kc85.h"
#include "line_setup.h"
#include "monotonic_time.h"

namespace morvale {
namespace {

using posix_io::retryOnEintr;

constexpr std::int64_t kWritePerByte = 100 * kMillisecond;
constexpr std::int64_t kWriteConstant = 10 * kMillisecond;
// How often the line status is asked while the last bytes go out.
constexpr std::int64_t kStatusStep = kMillisecond / 4;

// Not retried: a signal ends the sleep early, and the write's loop looks at
// its deadline before it sleeps again.
void sleepOnceUntil(std::int64_t when) {
    const timespec until = toTimespec(when);
    ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
}

// The output queue the driver reports; 0 from a driver that reports none,
// -1 with errno set when the device fails.
int outputQueue(int fd) {
    int queued = 0;
    if (::ioctl(fd, TIOCOUTQ, &queued) != 0) {
        return errno == ENOTTY || errno == EINVAL ? 0 : -1;
    }
    return std::max(queued, 0);
}

// Whether the transmitter is empty, from the line status; nullopt from a
// driver that does not tell (USB adapters but ftdi_sio, pseudo-terminals).
std::optional<bool> transmitterEmpty(int fd) {
    unsigned int status = 0;
    if (::ioctl(fd, TIOCSERGETLSR, &status) != 0) {
        return std::nullopt;
    }
    return (status & TIOCSER_TEMT) != 0;
}

// Waits until the port is ready for `events` or the deadline comes; a
// signal ends the wait early. revents says what the port reported. Returns
// 0, or the errno value when the wait itself failed.
int waitFor(int fd, short events, std::int64_t deadline, short& revents) {
    pollfd port{fd, events, 0};
    const timespec remaining = toTimespec(std::max<std::int64_t>(deadline - monotonicNow(), 0));
    const auto ready =
        posix_io::attemptOnce([&] { return ::ppoll(&port, 1, &remaining, nullptr); });
    revents = port.revents;
    if (ready.result < 0) {
        revents = 0;
        return ready.interrupted() ? 0 : ready.error;
    }
    return (port.revents & POLLNVAL) != 0 ? EBADF : 0;
}

// Waits until the port takes bytes again or the deadline comes. Returns 0,
// or the errno value when the device has failed.
int waitWritable(int fd, std::int64_t deadline) {
    short revents = 0;
    const int error = waitFor(fd, POLLOUT, deadline, revents);
    return error != 0 ? error : (revents & (POLLERR | POLLHUP)) != 0 ? EIO : 0;
}

// Waits until input is there or the deadline comes. hungUp is set when the
// device reports that it hung up or failed. Returns 0, or the errno value
// when the wait itself failed.
int waitReadable(int fd, std::int64_t deadline, bool& hungUp) {
    short revents = 0;
    const int error = waitFor(fd, POLLIN, deadline, revents);
    hungUp = hungUp || (revents & (POLLERR | POLLHUP)) != 0;
    return error;
}

}  // namespace

// One call of writeBytes: its bytes, its deadline, what of them is in flight,
// and the alarm that bounds its tcdrain, disarmed when the call returns.
struct TermiosSerialLink::Write {
    Write(std::span<const std::uint8_t> bytes, std::int64_t deadline, InFlight flight,
          std::unique_ptr<DeadlineTimer>& timer)
        : bytes(bytes), deadline(deadline), flight(flight), alarm(timer) {}

    std::int64_t left() const { return static_cast<std::int64_t>(bytes.size()) - flight.handed(); }
    WriteResult sent() const { return {static_cast<std::int32_t>(bytes.size()), false}; }

    const std::span<const std::uint8_t> bytes;
    const std::int64_t deadline;
    InFlight flight;
    DrainAlarm alarm;
};

TermiosSerialLink::TermiosSerialLink(DiagnosticSink diagnostics, std::string sysfsRoot)
    : diagnostics_(std::move(diagnostics)), sysfsRoot_(std::move(sysfsRoot)) {
    if (!diagnostics_) {
        diagnostics_ = [](std::string_view line) { std::cerr << line << '\n'; };
    }
}

TermiosSerialLink::~TermiosSerialLink() {
    close();
}

void TermiosSerialLink::report(const std::string& line) const {
    diagnostics_(line);
}

void TermiosSerialLink::reportOpenFailure(const PortDevice& device, int error) {
    report(openFailureMessage(device, error));
    openFailure_ = openFailureNotice(device, error);
    lastFailure_ = openFailureError(device, error);
}

void TermiosSerialLink::release(int fd) {
    ::ioctl(fd, TIOCNXCL);
    ::flock(fd, LOCK_UN);
    ::close(fd);  // not retried: Linux frees the descriptor even when interrupted
}

bool TermiosSerialLink::open(std::string_view portName, const LineSettings& settings) {
    PortDevice device = portDevice(portName, sysfsRoot_);
    if (device.path.empty()) {
        reportOpenFailure(device, 0);
        return false;
    }
    const int fd = retryOnEintr(
        [&] { return ::open(device.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); });
    if (fd < 0) {
        reportOpenFailure(device, errno);
        return false;
    }
    // The flock comes before TIOCEXCL: a second open of a device that this
    // link already holds fails here, before it could touch the exclusive
    // flag that the first descriptor set.
    if (retryOnEintr([&] { return ::flock(fd, LOCK_EX | LOCK_NB); }) != 0) {
        const int error = errno;
        ::close(fd);
        reportOpenFailure(device, error);
        return false;
    }
    const FlowChoice flow = chooseFlowControl(fd, device.path, sysfsRoot_);
    const bool linkKeepsFlow = settings.handshake == 3 && flow.linkKeepsFlow;
    int error = ::ioctl(fd, TIOCEXCL) == 0 ? setUpLine(fd, settings, !linkKeepsFlow) : errno;
    if (error != 0) {
        release(fd);
        reportOpenFailure(device, error);
        return false;
    }

    close();  // the port open before, now that the new one is ready
    fd_ = fd;
    device_ = std::move(device);
    characterNs_ = characterTime(settings).count();
    failureReported_ = false;
    openFailure_.clear();
    lastFailure_.reset();
    linkKeepsFlow_ = linkKeepsFlow;
    held_ = false;
    heard_.clear();
    // The transmitter is idle now. A driver that does not say so here does
    // not follow it (QEMU's FTDI adapter never shows it empty), and waiting
    // for its word would hold every write until its time-out.
    lineStatus_ = transmitterEmpty(fd_).value_or(false) ? LineStatus::Answers : LineStatus::Silent;
    if (linkKeepsFlow_ && !takeOverReported_) {
        takeOverReported_ = true;
        report(flowTakeOverMessage(device_, flow.driver));
    }
    return true;
}

int TermiosSerialLink::readFlowBytes() {
    std::uint8_t input[64];
    for (;;) {
        const auto n = posix_io::attemptOnce([&] { return ::read(fd_, input, sizeof input); });
        if (n.result < 0) {
            return n.error == EAGAIN || n.interrupted() ? 0 : n.error;
        }
        const std::size_t kept = followFlow({input, static_cast<std::size_t>(n.result)});
        heard_.insert(heard_.end(), input, input + kept);
        if (n.result < static_cast<ssize_t>(sizeof input)) {
            return 0;
        }
    }
}

std::size_t TermiosSerialLink::followFlow(std::span<std::uint8_t> bytes) {
    std::size_t kept = 0;
    for (const std::uint8_t byte : bytes) {
        if (byte == kc::kXoff) {
            held_ = true;
        } else if (byte == kc::kXon) {
            held_ = false;
        } else {
            bytes[kept++] = byte;
        }
    }
    return kept;
}

std::size_t TermiosSerialLink::takeHeard(std::span<std::uint8_t> into) {
    const std::size_t count = std::min(heard_.size(), into.size());
    std::copy_n(heard_.begin(), count, into.begin());
    heard_.erase(heard_.begin(), heard_.begin() + static_cast<std::ptrdiff_t>(count));
    return count;
}

ReadResult TermiosSerialLink::readBytes(std::span<std::uint8_t> into,
                                        std::chrono::steady_clock::time_point deadline) {
    if (fd_ < 0 || into.empty()) {
        return {};
    }
    into = into.first(std::min<std::size_t>(into.size(), INT32_MAX));
    const std::int64_t until = monotonicNs(deadline);
    bool hungUp = false;
    // Every interrupted call comes back here, to the deadline check, rather
    // than being retried.
    for (;;) {
        std::size_t received = takeHeard(into);
        int error = 0;
        if (received < into.size()) {
            const auto n = posix_io::attemptOnce(
                [&] { return ::read(fd_, into.data() + received, into.size() - received); });
            if (n.result > 0) {
                const auto fresh = into.subspan(received, static_cast<std::size_t>(n.result));
                received += linkKeepsFlow_ ? followFlow(fresh) : fresh.size();
            } else if (n.result == 0 || (n.error == EAGAIN && hungUp)) {
                error = EIO;  // a terminal reads 0 once it has hung up
            } else if (n.error != EAGAIN && !n.interrupted()) {
                error = n.error;
            }
        }
        // A failure after bytes were read shows at the next read.
        if (received > 0) {
            return {static_cast<std::int32_t>(received), false};
        }
        if (error == 0 && monotonicNow() >= until) {
            return {};
        }
        if (error == 0) {
            error = waitReadable(fd_, until, hungUp);
        }
        if (error != 0) {
            lose(Transfer::Read, error);
            return {0, true};
        }
    }
}

int TermiosSerialLink::waitUntil(std::int64_t when) {
    if (!linkKeepsFlow_) {
        sleepOnceUntil(when);
        return 0;
    }
    pollfd port{fd_, POLLIN, 0};
    const timespec remaining = toTimespec(std::max<std::int64_t>(when - monotonicNow(), 0));
    const auto ready =
        posix_io::attemptOnce([&] { return ::ppoll(&port, 1, &remaining, nullptr); });
    if (ready.result < 0) {
        return ready.interrupted() ? 0 : ready.error;
    }
    if ((port.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
        return EIO;
    }
    return 0;
}

WriteResult TermiosSerialLink::writeBytes(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0 || bytes.empty()) {
        return {};
    }
    const std::int64_t total = std::min<std::int64_t>(bytes.size(), INT32_MAX);
    Write write(bytes.first(static_cast<std::size_t>(total)),
                monotonicNow() + total * kWritePerByte + kWriteConstant,
                InFlight(characterNs_, linkKeepsFlow_), drainTimer_);

    // Every interrupted call comes back here, to the deadline check, rather
    // than being retried.
    for (;;) {
        if (linkKeepsFlow_) {
            if (const int error = readFlowBytes(); error != 0) {
                return failed(write, error);
            }
        }
        const std::int64_t now = monotonicNow();
        // Every write leaves the queue empty or discarded, so before the
        // first piece it needs no look.
        const int queued = write.flight.handed() == 0 ? 0 : outputQueue(fd_);
        if (queued < 0) {
            return failed(write, errno);
        }
        if (now >= write.deadline) {
            // Discard what is still queued; on a pseudo-terminal, whose queue
            // always reads 0, a flush would eat what the peer has not read.
            if (queued > 0) {
                ::tcflush(fd_, TCOFLUSH);
            }
            return {static_cast<std::int32_t>(write.flight.handed() - queued), false};
        }
        const auto result =
            write.left() > 0 ? handOver(write, now, queued) : drain(write, now, queued);
        if (result) {
            return *result;
        }
    }
}

std::optional<WriteResult> TermiosSerialLink::handOver(Write& write, std::int64_t now, int queued) {
    if (held_) {
        return afterWait(write, waitUntil(write.deadline));
    }
    const std::int64_t inFlight = write.flight.count(now, queued);
    if (inFlight >= kDriverShare) {
        return afterWait(
            write, waitUntil(std::min(write.deadline, write.flight.halfGoneAt(now, inFlight))));
    }
    const std::int64_t share = std::min(kDriverShare - inFlight, write.left());
    const auto n = posix_io::attemptOnce([&] {
        return ::write(fd_, write.bytes.data() + write.flight.handed(),
                       static_cast<std::size_t>(share));
    });
    if (n.result > 0) {
        write.flight.took(now, queued, n.result);
    } else if (n.result == 0 || n.error == EAGAIN) {
        return afterWait(write, waitWritable(fd_, write.deadline));
    } else if (!n.interrupted()) {
        return failed(write, n.error);
    }
    return std::nullopt;
}

std::optional<WriteResult> TermiosSerialLink::drain(Write& write, std::int64_t now, int queued) {
    // Only the line status can tell when the last byte has gone; without it
    // the queue is followed as far as it goes, then tcdrain. Where the link
    // keeps the flow, the line time is waited out as well.
    const bool answers = lineStatus_ == LineStatus::Answers;
    const bool byLineTime = answers || linkKeepsFlow_;
    const std::int64_t earliestEmpty = write.flight.earliestEmpty();
    if (queued > 0 || (byLineTime && now < earliestEmpty)) {
        const std::int64_t next =
            std::max(now + queued * characterNs_, byLineTime ? earliestEmpty : 0);
        return afterWait(write, waitUntil(std::min(write.deadline, next)));
    }
    if (answers) {
        const std::optional<bool> empty = transmitterEmpty(fd_);
        if (!empty) {
            return failed(write, errno);
        }
        if (*empty) {
            return write.sent();
        }
        return afterWait(write, waitUntil(std::min(write.deadline, now + kStatusStep)));
    }
    if (!write.alarm.arm(write.deadline)) {
        // Without the alarm tcdrain could wait forever; the queue is empty,
        // which is as far as this driver can be followed.
        return write.sent();
    }
    const auto drained = posix_io::attemptOnce([&] { return ::tcdrain(fd_); });
    if (drained.result == 0) {
        return write.sent();
    }
    if (!drained.interrupted()) {
        return failed(write, drained.error);
    }
    return std::nullopt;
}

std::optional<WriteResult> TermiosSerialLink::afterWait(const Write& write, int error) {
    if (error != 0) {
        return failed(write, error);
    }
    return std::nullopt;
}

WriteResult TermiosSerialLink::failed(const Write& write, int error) {
    lose(Transfer::Write, error);
    return {static_cast<std::int32_t>(write.flight.handed()), true};
}

void TermiosSerialLink::lose(Transfer transfer, int error) {
    if (!failureReported_) {
        failureReported_ = true;
        report(transferFailureMessage(device_, transfer, error));
    }
    lastFailure_ = transferFailureError(device_, transfer, error);
}

void TermiosSerialLink::close() {
    if (fd_ < 0) {
        return;
    }
    release(fd_);
    fd_ = -1;
    device_ = {};
}

}  // namespace morvale
