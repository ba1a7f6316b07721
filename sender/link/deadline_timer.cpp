#include "deadline_timer.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include "monotonic_time.h"

// Older C libraries name the target thread of SIGEV_THREAD_ID only by the
// union member.
#ifndef sigev_notify_thread_id
#define sigev_notify_thread_id _sigev_un._tid
#endif

namespace morvale {

namespace {

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

}  // namespace

int deadlineSignal() {
    return SIGRTMIN + 2;
}

DeadlineTimer::DeadlineTimer() {
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

DeadlineTimer::~DeadlineTimer() {
    if (made_) {
        ::timer_delete(timer_);
    }
}

bool DeadlineTimer::arm(std::int64_t deadline) {
    itimerspec when{};
    when.it_value = toTimespec(deadline);
    when.it_interval = toTimespec(kMillisecond);
    return made_ && ::timer_settime(timer_, TIMER_ABSTIME, &when, nullptr) == 0;
}

void DeadlineTimer::disarm() {
    const itimerspec never{};
    ::timer_settime(timer_, 0, &never, nullptr);
}

bool DrainAlarm::arm(std::int64_t deadline) {
    if (!timer_) {
        timer_ = std::make_unique<DeadlineTimer>();
    }
    if (!armed_) {
        armed_ = timer_->arm(deadline);
    }
    return armed_;
}

}  // namespace morvale
