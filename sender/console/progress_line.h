// The line kcsend keeps up to date on standard error while a listing or an
// image goes out, or memory comes back: what is being sent, done and in all,
// a bar, the time gone and the time left, as in
//   demo.kcc: 2054/5126 bytes [########............]  0:17 gone, 0:26 left
// What comes back counts as done as well. Where the whole is not known
// beforehand (a listing BASIC sends), the line says what came:
//   game.bas: 1834 bytes received, 0:15 gone
//
// A thread of its own redraws it five times a second, so that it keeps
// moving while one write of 1024 bytes holds the sending thread for 8.5 s;
// inside such a write the bytes done are estimated from the line time. The time
// left is the transfer's planned length (its pauses and line time) for what
// is not yet done.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "sending.h"
#include "transfer_plan.h"

namespace morvale::console {

class ProgressLine final : public Progress {
  public:
    // Draws on descriptor fd.
    explicit ProgressLine(int fd) : fd_(fd) {}
    ~ProgressLine() override { finish(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Shows the line for a transfer of plan.bytes units named unit.
    void start(std::string what, std::string unit, const TransferPlan& plan);
    // A write of bytes begins; its end reports how many left.
    void writing(std::int64_t bytes) override;
    void wrote(std::int64_t written) override;
    void received(std::int64_t total) override;
    // Draws the line a last time and ends it; nothing when none was started.
    void finish();

  private:
    void redrawLoop();
    void draw();  // with mutex_ held

    const int fd_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
    bool running_ = false;
    std::string what_;
    std::string unit_;
    TransferPlan plan_;
    std::chrono::steady_clock::time_point started_;
    std::int64_t done_ = 0;
    std::int64_t received_ = 0;
    std::int64_t writing_ = 0;  // bytes of the write under way
    std::chrono::steady_clock::time_point writeStarted_;
    std::size_t drawnWidth_ = 0;
};

}  // namespace morvale::console
