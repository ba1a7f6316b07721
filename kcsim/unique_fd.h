// Ownership of a file descriptor, and the retry of calls a signal interrupts.
//
// Every call of kcsim that a signal can interrupt goes through retryOnEintr,
// so EINTR is handled in this one place. close() is never retried: on Linux
// the descriptor is gone even when close reports EINTR.
#pragma once

#include <cerrno>
#include <cstddef>
#include <utility>

namespace kcsim {

// Calls `call` again for as long as it fails with EINTR; returns its result.
template <typename Call>
auto retryOnEintr(Call call) {
    auto result = call();
    while (result == -1 && errno == EINTR) {
        result = call();
    }
    return result;
}

class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { close(); }

    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

    // Closes now. Returns 0, or the errno of a failed close (a write error
    // the file system reports only then).
    int close();

  private:
    int fd_ = -1;
};

// Writes all `size` bytes, waiting while a non-blocking descriptor is full.
// Returns 0, or the errno of the write that failed; a write that makes no
// progress counts as ENOSPC.
int writeAll(int fd, const void* data, std::size_t size);

}  // namespace kcsim
