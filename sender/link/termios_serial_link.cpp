#include "termios_serial_link.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
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
#include "port_messages.h"

// Older C libraries name the target thread of SIGEV_THREAD_ID only by the
// union member.
#ifndef sigev_notify_thread_id
#define sigev_notify_thread_id _sigev_un._tid
#endif

namespace morvale {
namespace {

using posix_io::retryOnEintr;

constexpr std::int64_t kSecond = 1'000'000'000;  // in nanoseconds, like every time here
constexpr std::int64_t kMillisecond = 1'000'000;
constexpr std::int64_t kWritePerByte = 100 * kMillisecond;
constexpr std::int64_t kWriteConstant = 10 * kMillisecond;
// The most the driver is handed at once: what may still go out after an XOFF.
constexpr int kDriverShare = 16;
// How often the line status is asked while the last bytes go out.
constexpr std::int64_t kStatusStep = kMillisecond / 4;
constexpr std::uint8_t kXon = 0x11;
constexpr std::uint8_t kXoff = 0x13;

std::int64_t monotonicNow() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * kSecond + now.tv_nsec;
}

timespec toTimespec(std::int64_t ns) {
    return {static_cast<time_t>(ns / kSecond), static_cast<long>(ns % kSecond)};
}

void sleepUntil(std::int64_t when) {
    const timespec until = toTimespec(when);
    ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
}

bool speedCode(std::int32_t baud, speed_t& code) {
    struct Speed {
        std::int32_t baud;
        speed_t code;
    };
    static constexpr Speed kSpeeds[] = {
        {50, B50},           {75, B75},           {110, B110},         {134, B134},
        {150, B150},         {200, B200},         {300, B300},         {600, B600},
        {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
        {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
        {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
        {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
        {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
        {3500000, B3500000}, {4000000, B4000000},
    };
    for (const Speed& speed : kSpeeds) {
        if (speed.baud == baud) {
            code = speed.code;
            return true;
        }
    }
    return false;
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

// Reads the port's settings, writes the line's, clears a stale XOFF. With
// kernelFlow false the kernel leaves XOFF to the link. Returns 0 or the
// errno value of the failure.
int setUpLine(int fd, const LineSettings& settings, bool kernelFlow) {
    termios port{};
    if (retryOnEintr([&] { return ::tcgetattr(fd, &port); }) != 0) {
        return errno;
    }
    termios line{};
    if (!makeLineTermios(port, settings, line)) {
        return EINVAL;
    }
    if (!kernelFlow) {
        line.c_iflag &= ~IXON;
    }
    if (retryOnEintr([&] { return ::tcsetattr(fd, TCSANOW, &line); }) != 0) {
        return errno;
    }
    // tcsetattr succeeds when the driver took any part of the settings; one
    // that cannot run at the speed quietly keeps another.
    termios taken{};
    if (retryOnEintr([&] { return ::tcgetattr(fd, &taken); }) != 0) {
        return errno;
    }
    if (::cfgetospeed(&taken) != ::cfgetospeed(&line)) {
        return EINVAL;
    }
    if (settings.handshake == 0 || settings.handshake == 1) {
        int rts = TIOCM_RTS;
        // A device without modem lines (a pseudo-terminal) refuses this; the
        // line works without it.
        ::ioctl(fd, settings.handshake == 0 ? TIOCMBIC : TIOCMBIS, &rts);
    }
    // The kernel keeps an XOFF received during an earlier use of the port
    // across closes. Restarting output alone does not clear it; stopping it
    // first does.
    if (retryOnEintr([&] { return ::tcflow(fd, TCOOFF); }) != 0 ||
        retryOnEintr([&] { return ::tcflow(fd, TCOON); }) != 0) {
        return errno;
    }
    // A DC3 read by the link counts only from this use on.
    if (!kernelFlow && retryOnEintr([&] { return ::tcflush(fd, TCIFLUSH); }) != 0) {
        return errno;
    }
    return 0;
}

void ignoreDeadlineSignal(int) {}

bool installDeadlineHandler() {
    static const bool installed = [] {
        struct sigaction action {};
        action.sa_handler = ignoreDeadlineSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;  // no SA_RESTART: the signal must end the wait it interrupts
        return ::sigaction(deadlineSignal(), &action, nullptr) == 0;
    }();
    return installed;
}

// Waits until the port takes bytes again or the deadline comes. Returns 0,
// or the errno value when the device has failed.
int waitWritable(int fd, std::int64_t deadline) {
    pollfd port{fd, POLLOUT, 0};
    const timespec remaining = toTimespec(std::max<std::int64_t>(deadline - monotonicNow(), 0));
    if (::ppoll(&port, 1, &remaining, nullptr) < 0) {
        return errno == EINTR ? 0 : errno;
    }
    if ((port.revents & POLLNVAL) != 0) {
        return EBADF;
    }
    if ((port.revents & (POLLERR | POLLHUP)) != 0) {
        return EIO;
    }
    return 0;
}

}  // namespace

int deadlineSignal() {
    return SIGRTMIN + 2;
}

// Sends deadlineSignal() to the thread that made it, at a deadline and every
// millisecond after, until disarmed: one signal alone could arrive just
// before a blocking call starts and leave that call unbounded. Made once per
// link, at its first bounded wait, so a write costs only arming and
// disarming. The signal is the link's own, so it stays unblocked in that
// thread; it only comes while the timer is armed.
class TermiosSerialLink::DeadlineTimer {
  public:
    DeadlineTimer() {
        if (!installDeadlineHandler()) {
            return;
        }
        sigset_t signal;
        sigemptyset(&signal);
        sigaddset(&signal, deadlineSignal());
        ::pthread_sigmask(SIG_UNBLOCK, &signal, nullptr);
        sigevent event{};
        event.sigev_notify = SIGEV_THREAD_ID;
        event.sigev_signo = deadlineSignal();
        event.sigev_notify_thread_id = ::gettid();
        made_ = ::timer_create(CLOCK_MONOTONIC, &event, &timer_) == 0;
    }
    ~DeadlineTimer() {
        if (made_) {
            ::timer_delete(timer_);
        }
    }
    DeadlineTimer(const DeadlineTimer&) = delete;
    DeadlineTimer& operator=(const DeadlineTimer&) = delete;

    // False when there is no timer or it cannot be set: nothing will come.
    bool arm(std::int64_t deadline) {
        itimerspec when{};
        when.it_value = toTimespec(deadline);
        when.it_interval = toTimespec(kMillisecond);
        return made_ && ::timer_settime(timer_, TIMER_ABSTIME, &when, nullptr) == 0;
    }
    // A signal generated before this is delivered by the time it returns.
    void disarm() {
        const itimerspec never{};
        ::timer_settime(timer_, 0, &never, nullptr);
    }

  private:
    timer_t timer_{};
    bool made_ = false;
};

bool makeLineTermios(const termios& port, const LineSettings& settings, termios& line) {
    speed_t speed = B0;
    if (!speedCode(settings.baud, speed)) {
        return false;
    }
    tcflag_t size = 0;
    switch (settings.dataBits) {
        case 5:
            size = CS5;
            break;
        case 6:
            size = CS6;
            break;
        case 7:
            size = CS7;
            break;
        case 8:
            size = CS8;
            break;
        default:
            return false;
    }
    tcflag_t parity = 0;
    switch (settings.parity) {
        case 0:
            break;
        case 1:
            parity = PARENB | PARODD;
            break;
        case 2:
            parity = PARENB;
            break;
        case 3:
            parity = PARENB | PARODD | CMSPAR;
            break;  // mark: the parity bit always 1
        case 4:
            parity = PARENB | CMSPAR;
            break;  // space: always 0
        default:
            return false;
    }

    line = port;
    ::cfmakeraw(&line);
    // cfmakeraw leaves these; each would change or drop bytes.
    line.c_iflag &= ~(IUCLC | IXANY | IMAXBEL | IXON | IXOFF);
    line.c_lflag &= ~(XCASE | TOSTOP);
    // Parity errors are checked, as the port's parity flag asks; without a
    // parity bit there is nothing to check.
    line.c_iflag |= INPCK;
    ::cfsetispeed(&line, speed);
    ::cfsetospeed(&line, speed);

    line.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | HUPCL | CRTSCTS);
    line.c_cflag |= size | parity | CREAD | CLOCAL | (port.c_cflag & HUPCL);
    // Linux has no one and a half stop bits for 8-bit characters (the UART
    // gives them only with 5-bit ones), so everything but 1.0 means two.
    if (settings.stopBits != 1.0f) {
        line.c_cflag |= CSTOPB;
    }

    const tcflag_t portSoftware = port.c_iflag & (IXON | IXOFF | IXANY);
    switch (settings.handshake) {
        case 0:
        case 1:  // RTS itself is lowered or raised once the settings are in
            line.c_iflag |= portSoftware;
            break;
        case 2:
            line.c_iflag |= portSoftware;
            line.c_cflag |= CRTSCTS;
            break;
        case 3:
            line.c_iflag |= IXON | IXOFF;
            line.c_cc[VSTART] = 0x11;
            line.c_cc[VSTOP] = 0x13;
            line.c_cflag |= port.c_cflag & CRTSCTS;
            break;
        default:  // no handshake setting changes
            line.c_iflag |= portSoftware;
            line.c_cflag |= port.c_cflag & CRTSCTS;
            break;
    }

    // The link never reads; a read would return what is there after at most
    // 100 ms, like the read time-outs the sender asks for.
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 1;
    return true;
}

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
    writeFailureReported_ = false;
    openFailure_.clear();
    linkKeepsFlow_ = linkKeepsFlow;
    held_ = false;
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
        const ssize_t n = ::read(fd_, input, sizeof input);
        if (n < 0) {
            return errno == EAGAIN || errno == EINTR ? 0 : errno;
        }
        for (ssize_t i = 0; i < n; ++i) {
            if (input[i] == kXoff) {
                held_ = true;
            } else if (input[i] == kXon) {
                held_ = false;
            }
        }
        if (n < static_cast<ssize_t>(sizeof input)) {
            return 0;
        }
    }
}

int TermiosSerialLink::waitUntil(std::int64_t when) {
    if (!linkKeepsFlow_) {
        sleepUntil(when);
        return 0;
    }
    pollfd port{fd_, POLLIN, 0};
    const timespec remaining = toTimespec(std::max<std::int64_t>(when - monotonicNow(), 0));
    if (::ppoll(&port, 1, &remaining, nullptr) < 0) {
        return errno == EINTR ? 0 : errno;
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
    const std::int64_t deadline = monotonicNow() + total * kWritePerByte + kWriteConstant;
    // Armed only for tcdrain, the one call here that can block past it.
    bool alarmArmed = false;
    struct DisarmOnReturn {
        const std::unique_ptr<DeadlineTimer>& timer;
        const bool& armed;
        ~DisarmOnReturn() {
            if (armed) {
                timer->disarm();
            }
        }
    } disarmOnReturn{drainTimer_, alarmArmed};

    std::int64_t handed = 0;  // bytes the driver has taken
    // The earliest the last byte handed can have left: the bytes queued
    // before it and it itself take their line time at least.
    std::int64_t earliestEmpty = 0;
    const auto failed = [&](int error) {
        if (!writeFailureReported_) {
            writeFailureReported_ = true;
            report(writeFailureMessage(device_, error));
        }
        return WriteResult{static_cast<std::int32_t>(handed), true};
    };

    // Every interrupted call comes back here, to the deadline check, rather
    // than being retried.
    for (;;) {
        if (linkKeepsFlow_) {
            if (const int error = readFlowBytes(); error != 0) {
                return failed(error);
            }
        }
        const std::int64_t now = monotonicNow();
        // Every write leaves the queue empty or discarded, so before the
        // first piece it needs no look.
        const int queued = handed == 0 ? 0 : outputQueue(fd_);
        if (queued < 0) {
            return failed(errno);
        }
        if (now >= deadline) {
            // Discard what is still queued; on a pseudo-terminal, whose queue
            // always reads 0, a flush would eat what the peer has not read.
            if (queued > 0) {
                ::tcflush(fd_, TCOFLUSH);
            }
            return {static_cast<std::int32_t>(handed - queued), false};
        }
        if (handed < total) {
            if (held_) {
                if (const int error = waitUntil(deadline); error != 0) {
                    return failed(error);
                }
                continue;
            }
            // Where the link keeps the flow the driver's queue may hide a
            // chip's buffer: what is in flight is also reckoned by line time.
            const std::int64_t inFlight =
                linkKeepsFlow_
                    ? std::max<std::int64_t>(
                          queued, (earliestEmpty - now + characterNs_ - 1) / characterNs_)
                    : queued;
            if (inFlight >= kDriverShare) {
                // Top up once about half of it has gone out.
                const std::int64_t drained = (inFlight - kDriverShare / 2) * characterNs_;
                if (const int error =
                        waitUntil(std::min(deadline, now + std::max(drained, kMillisecond / 10)));
                    error != 0) {
                    return failed(error);
                }
                continue;
            }
            const std::int64_t share =
                std::min<std::int64_t>(kDriverShare - inFlight, total - handed);
            const ssize_t n = ::write(fd_, bytes.data() + handed, static_cast<std::size_t>(share));
            if (n > 0) {
                handed += n;
                earliestEmpty =
                    std::max(earliestEmpty, now + queued * characterNs_) + n * characterNs_;
            } else if (n == 0 || errno == EAGAIN) {
                if (const int error = waitWritable(fd_, deadline); error != 0) {
                    return failed(error);
                }
            } else if (errno != EINTR) {
                return failed(errno);
            }
            continue;
        }
        // Only the line status can tell when the last byte has gone; without
        // it the queue is followed as far as it goes, then tcdrain. Where the
        // link keeps the flow, the line time is waited out as well.
        const bool answers = lineStatus_ == LineStatus::Answers;
        const bool byLineTime = answers || linkKeepsFlow_;
        if (queued > 0 || (byLineTime && now < earliestEmpty)) {
            const std::int64_t next =
                std::max(now + queued * characterNs_, byLineTime ? earliestEmpty : 0);
            if (const int error = waitUntil(std::min(deadline, next)); error != 0) {
                return failed(error);
            }
            continue;
        }
        if (answers) {
            const std::optional<bool> empty = transmitterEmpty(fd_);
            if (!empty) {
                return failed(errno);
            }
            if (*empty) {
                return {static_cast<std::int32_t>(total), false};
            }
            if (const int error = waitUntil(std::min(deadline, now + kStatusStep)); error != 0) {
                return failed(error);
            }
            continue;
        }
        if (!drainTimer_) {
            drainTimer_ = std::make_unique<DeadlineTimer>();
        }
        if (!alarmArmed) {
            alarmArmed = drainTimer_->arm(deadline);
        }
        if (!alarmArmed) {
            // Without the alarm tcdrain could wait forever; the queue is
            // empty, which is as far as this driver can be followed.
            return {static_cast<std::int32_t>(total), false};
        }
        if (::tcdrain(fd_) == 0) {
            return {static_cast<std::int32_t>(total), false};
        }
        if (errno != EINTR) {
            return failed(errno);
        }
    }
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
