// The descriptor owner and the EINTR handling on real pipes and
// pseudo-terminals, with signals that interrupt the calls for real.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "file_descriptor.h"

namespace {

using namespace std::chrono_literals;
using posix_io::FileDescriptor;

bool isOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1;
}

struct Pipe {
    Pipe() {
        int ends[2];
        EXPECT_EQ(::pipe2(ends, O_CLOEXEC), 0);
        read = FileDescriptor(ends[0]);
        write = FileDescriptor(ends[1]);
    }
    FileDescriptor read;
    FileDescriptor write;
};

// A pseudo-terminal in raw mode: its slave blocks in a read until the master
// writes, as a serial line does.
struct Pty {
    Pty() : write(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        EXPECT_EQ(::grantpt(write.get()), 0);
        EXPECT_EQ(::unlockpt(write.get()), 0);
        read = FileDescriptor(::open(::ptsname(write.get()), O_RDWR | O_NOCTTY | O_CLOEXEC));
        termios raw{};
        ::tcgetattr(read.get(), &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(read.get(), TCSANOW, &raw);
    }
    FileDescriptor write;  // the master
    FileDescriptor read;   // the slave
};

// Interrupts the thread that made it every half millisecond with a signal
// whose handler does not restart calls.
class SignalStorm {
  public:
    SignalStorm() : target_(::pthread_self()) {
        struct sigaction action {};
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGUSR1, &action, &saved_);
        thread_ = std::thread([this] {
            while (!stop_) {
                ::pthread_kill(target_, SIGUSR1);
                std::this_thread::sleep_for(500us);
            }
        });
    }
    ~SignalStorm() {
        stop_ = true;
        thread_.join();
        ::sigaction(SIGUSR1, &saved_, nullptr);
    }

  private:
    pthread_t target_;
    struct sigaction saved_ {};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST(FileDescriptor, MovesItsDescriptorAndClosesWhatItOwnsOnce) {
    Pipe pipe;
    const int fd = pipe.read.get();
    FileDescriptor moved(std::move(pipe.read));
    EXPECT_FALSE(pipe.read.valid());
    EXPECT_EQ(moved.get(), fd);

    Pipe other;
    const int replaced = other.read.get();
    other.read = std::move(moved);  // closes the descriptor it held
    EXPECT_FALSE(isOpen(replaced));
    EXPECT_EQ(other.read.get(), fd);
    auto& self = other.read;
    other.read = std::move(self);
    EXPECT_TRUE(isOpen(fd));

    { const FileDescriptor gone(std::move(pipe.write)); }
    char byte = 0;
    EXPECT_EQ(::read(fd, &byte, 1), 0) << "the writing end closed with its owner";
}

TEST(FileDescriptor, CloseReportsItsErrorAndLeavesNothingOwned) {
    Pipe pipe;
    EXPECT_EQ(pipe.write.close(), 0);
    EXPECT_FALSE(pipe.write.valid());
    EXPECT_EQ(pipe.write.close(), 0);

    ::close(pipe.read.get());  // closed behind the owner's back
    EXPECT_EQ(pipe.read.close(), EBADF);
    EXPECT_FALSE(pipe.read.valid());
}

// A read waiting for a byte that comes only once a signal has interrupted
// it: retried, it gets the byte; tried once, it ends at the first signal.
template <typename Line>
void expectInterruptedRead() {
    Line line;
    SignalStorm storm;
    std::atomic<int> calls{0};
    std::thread late([&] {
        for (int waited = 0; calls < 2 && waited < 5000; ++waited) {
            std::this_thread::sleep_for(1ms);
        }
        EXPECT_EQ(::write(line.write.get(), "x", 1), 1);
    });
    char byte = 0;
    const ssize_t got = posix_io::retryOnEintr([&] {
        ++calls;
        return ::read(line.read.get(), &byte, 1);
    });
    late.join();
    EXPECT_EQ(got, 1);
    EXPECT_EQ(byte, 'x');
    EXPECT_GT(calls, 1) << "no signal came during the read";

    const auto once = posix_io::attemptOnce([&] { return ::read(line.read.get(), &byte, 1); });
    EXPECT_EQ(once.result, -1);
    EXPECT_TRUE(once.interrupted());
}

TEST(RetryOnEintr, ARetriedReadOutlastsSignalsOnAPipe) {
    expectInterruptedRead<Pipe>();
}

TEST(RetryOnEintr, ARetriedReadOutlastsSignalsOnAPseudoTerminal) {
    expectInterruptedRead<Pty>();
}

TEST(RetryOnEintr, AnAttemptKeepsItsErrorWhenNotInterrupted) {
    Pipe pipe;
    ::fcntl(pipe.read.get(), F_SETFL, O_NONBLOCK);
    char byte = 0;
    const auto once = posix_io::attemptOnce([&] { return ::read(pipe.read.get(), &byte, 1); });
    EXPECT_EQ(once.error, EAGAIN);
    EXPECT_FALSE(once.interrupted());
}

TEST(WriteAll, WaitsWhileAFullNonBlockingPipeDrainsThroughSignals) {
    Pipe pipe;
    ::fcntl(pipe.write.get(), F_SETFL, O_NONBLOCK);
    const std::string data(256 * 1024, 'k');
    std::string received;
    std::thread reader([&] {
        std::this_thread::sleep_for(20ms);
        char buffer[4096];
        for (ssize_t n; (n = ::read(pipe.read.get(), buffer, sizeof buffer)) > 0;) {
            received.append(buffer, static_cast<std::size_t>(n));
        }
    });
    {
        SignalStorm storm;
        EXPECT_EQ(posix_io::writeAll(pipe.write.get(), data.data(), data.size()), 0);
    }
    EXPECT_EQ(pipe.write.close(), 0);
    reader.join();
    EXPECT_EQ(received, data);
}

TEST(SleepUntil, SleepsThroughSignalsToItsDeadline) {
    SignalStorm storm;
    // The steady clock is CLOCK_MONOTONIC.
    const auto deadline = std::chrono::steady_clock::now() + 30ms;
    const auto since = deadline.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
    posix_io::sleepUntil(CLOCK_MONOTONIC, {static_cast<time_t>(seconds.count()),
                                           static_cast<long>((since - seconds).count())});
    EXPECT_GE(std::chrono::steady_clock::now(), deadline);
}

}  // namespace
