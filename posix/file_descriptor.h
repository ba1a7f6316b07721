// Ownership of a file descriptor, and the retry of calls a signal interrupts.
//
// FileDescriptor owns one descriptor: it is moved, never copied, and closes
// the descriptor when it goes. Every system call of the programs that a
// signal can interrupt goes through retryOnEintr, sleepUntil or attemptOnce,
// so EINTR is looked at in this one place. attemptOnce is for the calls that
// must not simply be made again: a wait bounded by a deadline, which the
// deadline's own signal is meant to end and which looks at its clock before
// it goes on. close() is never retried: on Linux the descriptor is gone even
// when close reports EINTR.
#pragma once

#include <time.h>

#include <cerrno>
#include <cstddef>
#include <utility>

namespace posix_io {

// Calls `call` again for as long as it fails with EINTR; returns its result,
// with errno as the last call left it.
template <typename Call>
auto retryOnEintr(Call call) {
    auto result = call();
    while (result == -1 && errno == EINTR) {
        result = call();
    }
    return result;
}

// What one try of a call came to: its result, and the errno it left when it
// failed (returned -1), else 0.
template <typename Result>
struct Attempt {
    Result result;
    int error = 0;

    // A signal ended the call before it did anything.
    bool interrupted() const { return error == EINTR; }
};

// Calls `call` once, keeping its errno with its result.
template <typename Call>
[[nodiscard]] auto attemptOnce(Call call) -> Attempt<decltype(call())> {
    const auto result = call();
    return {result, result == -1 ? errno : 0};
}

// Sleeps until the absolute time `when` on `clock`, however often a signal
// interrupts the sleep. A time or clock the system does not take ends it at
// once.
void sleepUntil(clockid_t clock, const timespec& when);

class FileDescriptor {
  public:
    FileDescriptor() = default;
    // Takes `fd` over; a negative one means none (valid() is false).
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { close(); }

    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

    // Closes the descriptor now; afterwards it owns none. Returns 0, or the
    // errno of a failed close (a write error the file system reports only
    // then).
    int close();

  private:
    int fd_ = -1;
};

// Writes all `size` bytes, waiting while a non-blocking descriptor is full.
// Returns 0, or the errno of the write (or wait) that failed; a write that
// makes no progress counts as ENOSPC. Some bytes may have been written when
// it fails.
int writeAll(int fd, const void* data, std::size_t size);

}  // namespace posix_io
