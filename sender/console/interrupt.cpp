#include "interrupt.h"

#include <signal.h>
#include <unistd.h>

namespace morvale::console {
namespace {

volatile sig_atomic_t interrupts = 0;

void onInterrupt(int) {
    if (interrupts > 0) {
        static const char kMessage[] = "\nkcsend: stopped at once\n";
        [[maybe_unused]] const auto written = ::write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
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

}  // namespace morvale::console
