// Ownership of a file descriptor, and the retry of calls a signal interrupts.
//
// Every system call of the converter that can be interrupted goes through
// retryOnEintr, so EINTR is handled in this one place. close() is never
// retried: on Linux the descriptor is gone even when close reports EINTR.
#pragma once

#include <cerrno>
#include <utility>

namespace kccstrip {

// Calls `call` again for as long as it fails with EINTR; returns its result.
template <typename Call>
auto retryOnEintr(Call call) {
    auto result = call();
    while (result == -1 && errno == EINTR) {
        result = call();
    }
    return result;
}

class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor();

    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

    // Closes the descriptor now. Returns 0, or the errno of a failed close
    // (a write error the file system reports only then).
    int close();

  private:
    int fd_ = -1;
};

// Writes all `size` bytes. Returns 0, or the errno of the write that failed;
// a write that makes no progress counts as ENOSPC.
int writeAll(int fd, const void* data, std::size_t size);

}  // namespace kccstrip
