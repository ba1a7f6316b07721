#include "stuck_transmitter.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

extern "C" int __real_tcdrain(int fd);

namespace morvale::testing {

StuckTransmitter& stuckTransmitter() {
    static StuckTransmitter transmitter;
    return transmitter;
}

namespace {

// Blocks in a read that, like tcdrain, the kernel restarts after a signal
// handler installed with SA_RESTART, and ends it otherwise. A watchdog ends
// the read after ten seconds, longer than any test's bound.
int waitLikeTcdrain() {
    const int wake = ::eventfd(0, EFD_CLOEXEC);
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (!finished.wait_for(lock, std::chrono::seconds(10), [&] { return done; })) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t n = ::write(wake, &one, sizeof one);
        }
    });
    std::uint64_t value = 0;
    const ssize_t n = ::read(wake, &value, sizeof value);
    const int error = errno;
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    finished.notify_all();
    watchdog.join();
    ::close(wake);
    errno = error;
    return n < 0 ? -1 : 0;
}

}  // namespace
}  // namespace morvale::testing

extern "C" int __wrap_tcdrain(int fd) {
    auto& transmitter = morvale::testing::stuckTransmitter();
    if (!transmitter.stuck) {
        return __real_tcdrain(fd);
    }
    const auto lateUntil = std::chrono::steady_clock::now() +
                           std::chrono::milliseconds(transmitter.lateStartMs.load());
    while (std::chrono::steady_clock::now() < lateUntil) {
    }
    return morvale::testing::waitLikeTcdrain();
}
