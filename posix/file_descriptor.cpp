#include "file_descriptor.h"

#include <poll.h>
#include <unistd.h>

namespace posix_io {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

void sleepUntil(clockid_t clock, const timespec& when) {
    while (::clock_nanosleep(clock, TIMER_ABSTIME, &when, nullptr) == EINTR) {
    }
}

int FileDescriptor::close() {
    if (fd_ < 0) {
        return 0;
    }
    const int result = ::close(std::exchange(fd_, -1));
    return result == 0 || errno == EINTR ? 0 : errno;
}

int writeAll(int fd, const void* data, std::size_t size) {
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = retryOnEintr([&] { return ::write(fd, next, size); });
        if (written < 0 && errno == EAGAIN) {
            pollfd ready{fd, POLLOUT, 0};
            if (retryOnEintr([&] { return ::poll(&ready, 1, -1); }) < 0) {
                return errno;
            }
            continue;
        }
        if (written < 0) {
            return errno;
        }
        if (written == 0) {
            return ENOSPC;
        }
        next += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

}  // namespace posix_io
