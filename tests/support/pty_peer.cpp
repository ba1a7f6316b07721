#include "pty_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace morvale::testing {
namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "PtyPeer: %s: %s\n", what, std::strerror(errno));
    std::abort();
}

void setFlags(int fd, int fdFlags, int statusFlags) {
    if (::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | fdFlags) != 0 ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | statusFlags) != 0) {
        fail("fcntl");
    }
}

}  // namespace

PtyPeer::PtyPeer() {
    if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) {
        fail("openpty");
    }
    // Non-blocking master: the reader only reads what poll announced, and a
    // send never hangs on a full slave input.
    setFlags(master_, FD_CLOEXEC, O_NONBLOCK);
    setFlags(slave_, FD_CLOEXEC, 0);
    char name[256];
    if (::ttyname_r(slave_, name, sizeof name) != 0) {
        fail("ttyname_r");
    }
    devicePath_ = name;
    wake_ = ::eventfd(0, EFD_CLOEXEC);
    if (wake_ < 0) {
        fail("eventfd");
    }
    reader_ = std::thread([this] { readLoop(); });
}

PtyPeer::~PtyPeer() {
    vanish();
    ::close(wake_);
    ::close(slave_);
}

void PtyPeer::vanish() {
    if (!reader_.joinable()) {
        return;
    }
    const std::uint64_t one = 1;
    while (::write(wake_, &one, sizeof one) < 0 && errno == EINTR) {
    }
    reader_.join();
    ::close(master_);
}

void PtyPeer::readLoop() {
    pollfd fds[2] = {{wake_, POLLIN, 0}, {master_, POLLIN, 0}};
    nfds_t watched = 2;
    std::uint8_t buffer[4096];
    for (;;) {
        if (::poll(fds, watched, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("poll");
        }
        if (fds[0].revents != 0) {
            return;
        }
        if (fds[1].revents == 0) {
            continue;
        }
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            {
                std::lock_guard lock(mutex_);
                received_.insert(received_.end(), buffer, buffer + n);
            }
            arrived_.notify_all();
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
            // The line is gone for good (cannot happen while the own slave
            // descriptor is open); wait for the end only, rather than spin.
            watched = 1;
        }
    }
}

void PtyPeer::send(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n >= 0) {
            done += static_cast<std::size_t>(n);
        } else if (errno == EAGAIN) {
            pollfd out{master_, POLLOUT, 0};
            ::poll(&out, 1, 100);
        } else if (errno != EINTR) {
            fail("write to the master");
        }
    }
}

void PtyPeer::waitForOutputState(bool writable) {
    // The slave reports POLLOUT exactly while its output is not stopped.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (std::chrono::steady_clock::now() < until) {
        pollfd out{slave_, POLLOUT, 0};
        const int ready = ::poll(&out, 1, writable ? 10 : 0);
        if (ready >= 0 && ((out.revents & POLLOUT) != 0) == writable) {
            return;
        }
        if (!writable) {
            ::usleep(1000);
        }
    }
}

void PtyPeer::sendXoff() {
    const std::uint8_t xoff = 0x13;
    send({&xoff, 1});
    waitForOutputState(false);
}

void PtyPeer::sendXon() {
    const std::uint8_t xon = 0x11;
    send({&xon, 1});
    waitForOutputState(true);
}

std::vector<std::uint8_t> PtyPeer::receivedBytes() const {
    std::lock_guard lock(mutex_);
    return received_;
}

bool PtyPeer::waitForBytes(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, timeout, [&] { return received_.size() >= count; });
}

void PtyPeer::clear() {
    std::lock_guard lock(mutex_);
    received_.clear();
}

}  // namespace morvale::testing
