#include "interrupt.h"

#include <signal.h>
#include <time.h>
#include <unistd.h>

#include "file_descriptor.h"

namespace morvale::console {
namespace {

volatile sig_atomic_t interrupts = 0;
volatile sig_atomic_t lineOpen = 0;

void onInterrupt(int) {
    if (interrupts > 0) {
        static const char kMessage[] = "\nkcsend: stopped at once\n";
        const int skip = lineOpen != 0 ? 0 : 1;
        [[maybe_unused]] const auto written =
            ::write(STDERR_FILENO, kMessage + skip, sizeof kMessage - 1 - skip);
        ::_exit(kInterruptedStatus);
    }
    interrupts = 1;
}

}  // namespace

bool installInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    return ::sigaction(SIGINT, &action, nullptr) == 0;
}

bool interrupted() {
    return interrupts != 0;
}

void setLineOpen(bool open) {
    lineOpen = open ? 1 : 0;
}

bool InterruptPacer::waitForStop(Clock::time_point deadline) {
    // The steady clock is CLOCK_MONOTONIC; an absolute sleep does not drift
    // when a signal interrupts it.
    const auto sinceEpoch = deadline.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch);
    const timespec until{static_cast<time_t>(seconds.count()),
                         static_cast<long>((sinceEpoch - seconds) / std::chrono::nanoseconds(1))};
    posix_io::sleepUntil(CLOCK_MONOTONIC, until);
    return interrupted();
}

}  // namespace morvale::console
