#include "deadline_wait.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdint>

namespace morvale::ui {

namespace {

using SteadyClock = std::chrono::steady_clock;

// libstdc++'s steady_clock reads CLOCK_MONOTONIC, so its time points can be
// handed to the kernel as they are.
timespec toTimespec(SteadyClock::time_point t) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch());
    const auto count = ns.count() > 0 ? ns.count() : 1;  // zero would disarm
    return timespec{static_cast<time_t>(count / 1'000'000'000),
                    static_cast<long>(count % 1'000'000'000)};
}

}  // namespace

DeadlineWait::DeadlineWait(QObject* parent) : QObject(parent) {
    fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] {
            std::uint64_t expirations = 0;
            [[maybe_unused]] const auto n = ::read(fd_, &expirations, sizeof expirations);
            expired_ = true;
        });
    }
}

DeadlineWait::~DeadlineWait() {
    delete notifier_;
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void DeadlineWait::arm(SteadyClock::time_point deadline) {
    expired_ = false;
    itimerspec spec{};
    spec.it_value = toTimespec(deadline);
    timerfd_settime(fd_, TFD_TIMER_ABSTIME, &spec, nullptr);
}

void DeadlineWait::disarm() {
    const itimerspec off{};
    timerfd_settime(fd_, 0, &off, nullptr);
    // Drop an expiry that was not read yet, so the notifier stays quiet.
    std::uint64_t expirations = 0;
    [[maybe_unused]] const auto n = ::read(fd_, &expirations, sizeof expirations);
}

void DeadlineWait::waitUntil(SteadyClock::time_point deadline, const std::function<bool()>& done) {
    if (SteadyClock::now() >= deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    if (fd_ < 0) {
        // Coarse fallback: a Qt timer rounds to whole milliseconds.
        bool timedOut = false;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        connect(&timer, &QTimer::timeout, [&timedOut] { timedOut = true; });
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now());
        timer.start(left);
        while (!done() && !timedOut && SteadyClock::now() < deadline) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        return;
    }
    arm(deadline);
    while (!done() && !expired_ && SteadyClock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    // An expiry that was read left the timer disarmed and nothing to drop.
    if (!expired_) {
        disarm();
    }
}

}  // namespace morvale::ui
