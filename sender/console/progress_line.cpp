#include "progress_line.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "file_descriptor.h"
#include "interrupt.h"

namespace morvale::console {
namespace {

using std::chrono::steady_clock;

constexpr int kBarWidth = 20;
constexpr auto kRedrawInterval = std::chrono::milliseconds(200);

std::string minutesAndSeconds(std::chrono::nanoseconds time) {
    const auto seconds =
        std::max<long long>(std::chrono::duration_cast<std::chrono::seconds>(time).count(), 0);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    return text;
}

// Unlike posix_io::writeAll it never waits for a full output: it runs
// under the lock the sending thread takes for every write.
void writeUnlessFull(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = posix_io::retryOnEintr(
            [&] { return ::write(fd, text.data() + done, text.size() - done); });
        if (n <= 0) {
            return;  // a progress line is not worth failing for
        }
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

void ProgressLine::start(std::string what, std::string unit, const TransferPlan& plan) {
    finish();
    std::lock_guard lock(mutex_);
    what_ = std::move(what);
    unit_ = std::move(unit);
    plan_ = plan;
    started_ = steady_clock::now();
    done_ = 0;
    received_ = 0;
    writing_ = 0;
    drawnWidth_ = 0;
    running_ = true;
    setLineOpen(true);
    draw();
    // Ctrl+C belongs to the sending thread.
    sigset_t interrupt, saved;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    ::pthread_sigmask(SIG_BLOCK, &interrupt, &saved);
    thread_ = std::thread([this] { redrawLoop(); });
    ::pthread_sigmask(SIG_SETMASK, &saved, nullptr);
}

void ProgressLine::writing(std::int64_t bytes) {
    std::lock_guard lock(mutex_);
    writing_ = bytes;
    writeStarted_ = steady_clock::now();
}

void ProgressLine::wrote(std::int64_t written) {
    std::lock_guard lock(mutex_);
    done_ += written;
    writing_ = 0;
}

void ProgressLine::received(std::int64_t total) {
    std::lock_guard lock(mutex_);
    received_ = total;
}

void ProgressLine::finish() {
    {
        std::lock_guard lock(mutex_);
        if (!running_) {
            return;
        }
        running_ = false;
    }
    wake_.notify_all();
    thread_.join();
    std::lock_guard lock(mutex_);
    draw();
    writeUnlessFull(fd_, "\n");
    setLineOpen(false);
}

void ProgressLine::redrawLoop() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, kRedrawInterval, [this] { return !running_; })) {
        draw();
    }
}

void ProgressLine::draw() {
    const auto now = steady_clock::now();
    if (plan_.bytes == 0) {
        writeUnlessFull(fd_, "\r" + what_ + ": " + std::to_string(received_) + " " + unit_ +
                                 " received, " + minutesAndSeconds(now - started_) + " gone");
        return;
    }
    std::int64_t done = done_ + received_;
    // A write of one character may run into a held line and send nothing; it
    // counts once it has returned.
    if (writing_ > 1 && plan_.characterTime.count() > 0) {
        done += std::min<std::int64_t>(writing_, (now - writeStarted_) / plan_.characterTime);
    }
    const std::int64_t total = std::max<std::int64_t>(plan_.bytes, 1);
    done = std::min(done, total);
    const int filled = static_cast<int>(done * kBarWidth / total);
    const auto left = plan_.duration() * (total - done) / total;

    std::string line =
        what_ + ": " + std::to_string(done) + "/" + std::to_string(plan_.bytes) + " " + unit_ +
        " [" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "] " +
        minutesAndSeconds(now - started_) + " gone, " + minutesAndSeconds(left) + " left";
    const std::size_t width = line.size();
    if (width < drawnWidth_) {
        line.append(drawnWidth_ - width, ' ');
    }
    drawnWidth_ = width;
    writeUnlessFull(fd_, "\r" + line);
}

}  // namespace morvale::console
