#include "pty_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace morvale::testing {
namespace {

using namespace std::chrono_literals;

// How long send() waits for a line that takes nothing.
constexpr auto kStall = 2s;
// The most written to the master at once.
constexpr std::size_t kPiece = 4096;

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
    // Non-blocking master: the thread reads and writes only what poll
    // announced, and never hangs on a full slave input.
    setFlags(master_, FD_CLOEXEC, O_NONBLOCK);
    setFlags(slave_, FD_CLOEXEC, 0);
    char name[256];
    if (::ttyname_r(slave_, name, sizeof name) != 0) {
        fail("ttyname_r");
    }
    devicePath_ = name;
    wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_ < 0) {
        fail("eventfd");
    }
    server_ = std::thread([this] { serve(); });
}

PtyPeer::~PtyPeer() {
    vanish();
    ::close(wake_);
    ::close(slave_);
}

void PtyPeer::wake() {
    const std::uint64_t one = 1;
    while (::write(wake_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void PtyPeer::vanish() {
    if (!server_.joinable()) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake();
    server_.join();
    ::close(master_);
}

void PtyPeer::serve() {
    pollfd fds[2] = {{wake_, POLLIN, 0}, {master_, POLLIN, 0}};
    nfds_t watched = 2;
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (ending_) {
                break;
            }
            fds[1].events = static_cast<short>(POLLIN | (outbox_.empty() ? 0 : POLLOUT));
        }
        if (::poll(fds, watched, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("poll");
        }
        if (fds[0].revents != 0) {
            std::uint64_t count = 0;
            (void)::read(wake_, &count, sizeof count);
        }
        if (watched < 2) {
            continue;
        }
        if ((fds[1].revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
            readChunk();
        }
        if ((fds[1].revents & POLLOUT) != 0) {
            writeQueued();
        }
        // The line is gone for good (cannot happen while the own slave
        // descriptor is open); wait for the end only, rather than spin.
        if ((fds[1].revents & POLLNVAL) != 0 ||
            ((fds[1].revents & (POLLERR | POLLHUP)) != 0 && (fds[1].revents & POLLIN) == 0)) {
            watched = 1;
        }
    }
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
    }
    taken_.notify_all();
}

void PtyPeer::readChunk() {
    std::uint8_t buffer[kPiece];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) {
        return;
    }
    Responder responder;
    {
        std::lock_guard lock(mutex_);
        received_.insert(received_.end(), buffer, buffer + n);
        responder = responder_;
    }
    arrived_.notify_all();
    if (!responder) {
        return;
    }
    const std::vector<std::uint8_t> answer =
        responder(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)));
    std::lock_guard lock(mutex_);
    outbox_.insert(outbox_.end(), answer.begin(), answer.end());
    queued_ += answer.size();
}

void PtyPeer::writeQueued() {
    // Only this thread takes from the outbox, so its front stays put while
    // the lock is let go for the write.
    std::uint8_t piece[kPiece];
    std::size_t size = 0;
    {
        std::lock_guard lock(mutex_);
        size = std::min(outbox_.size(), sizeof piece);
        std::copy_n(outbox_.begin(), size, piece);
    }
    const ssize_t n = ::write(master_, piece, size);
    if (n <= 0) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        outbox_.erase(outbox_.begin(), outbox_.begin() + n);
        sent_ += static_cast<std::uint64_t>(n);
        lastTaken_ = Clock::now();
    }
    taken_.notify_all();
}

bool PtyPeer::send(std::span<const std::uint8_t> bytes) {
    std::unique_lock lock(mutex_);
    if (ending_ || bytes.empty()) {
        return !ending_;
    }
    outbox_.insert(outbox_.end(), bytes.begin(), bytes.end());
    queued_ += bytes.size();
    const std::uint64_t mine = queued_;
    lastTaken_ = Clock::now();
    lock.unlock();
    wake();
    lock.lock();
    while (sent_ < mine && !ended_) {
        if (taken_.wait_until(lock, lastTaken_ + kStall) == std::cv_status::timeout &&
            Clock::now() >= lastTaken_ + kStall) {
            return false;
        }
    }
    return sent_ >= mine;
}

void PtyPeer::setResponder(Responder responder) {
    std::lock_guard lock(mutex_);
    responder_ = std::move(responder);
}

void PtyPeer::waitForOutputState(bool writable) {
    // The slave reports POLLOUT exactly while its output is not stopped.
    const auto until = Clock::now() + 500ms;
    while (Clock::now() < until) {
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
