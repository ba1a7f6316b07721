// What the KC sends goes out no faster than the line and reaches a reader
// slower than that whole, with the clock stepped by hand.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "answer_writer.h"

namespace kcsim {
namespace {

TEST(AnswerWriter, GivesAReaderSlowerThanTheLineEverything) {
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_NONBLOCK), 0);
    ASSERT_GT(::fcntl(ends[1], F_SETPIPE_SZ, 4096), 0);
    std::vector<std::uint8_t> answer(20'000);
    for (std::size_t i = 0; i < answer.size(); ++i) {
        answer[i] = static_cast<std::uint8_t>(i * 13 + i / 256);
    }
    AnswerWriter writer;
    const Clock::time_point start{};
    writer.add(answer, start);

    std::vector<std::uint8_t> heard;
    bool blocked = false;
    Clock::time_point now = start;
    for (int step = 0; writer.pending() && step < 1'000'000; ++step) {
        ASSERT_FALSE(writer.writeDue(ends[1], now));
        blocked |= writer.blocked();
        // The reader takes 100 bytes every 200 byte times.
        if (step % 200 == 199) {
            std::uint8_t piece[100];
            const ssize_t read = ::read(ends[0], piece, sizeof piece);
            heard.insert(heard.end(), piece, piece + std::max<ssize_t>(read, 0));
        }
        now += kByteTime;
    }
    for (std::uint8_t piece[4096];;) {
        const ssize_t read = ::read(ends[0], piece, sizeof piece);
        if (read <= 0) {
            break;
        }
        heard.insert(heard.end(), piece, piece + read);
    }
    EXPECT_TRUE(blocked);
    EXPECT_EQ(heard, answer);
    ::close(ends[0]);
    ::close(ends[1]);
}

TEST(AnswerWriter, SendsNoByteBeforeItsTimeNorABurstAfterAStall) {
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_NONBLOCK), 0);
    AnswerWriter writer;
    const Clock::time_point start{};
    writer.add(std::vector<std::uint8_t>(10, 0x55), start);
    const struct {
        Clock::duration at;
        std::size_t written;  // so far
    } steps[] = {{{}, 1},
                 {kByteTime - std::chrono::microseconds(1), 1},
                 {kByteTime, 2},
                 {kByteTime * 2 + std::chrono::milliseconds(100), 4}};
    for (const auto& step : steps) {
        ASSERT_FALSE(writer.writeDue(ends[1], start + step.at));
        int queued = 0;
        ASSERT_EQ(::ioctl(ends[0], FIONREAD, &queued), 0);
        EXPECT_EQ(static_cast<std::size_t>(queued), step.written)
            << std::chrono::duration_cast<std::chrono::microseconds>(step.at).count() << " us";
    }
    ::close(ends[0]);
    ::close(ends[1]);
}

}  // namespace
}  // namespace kcsim
