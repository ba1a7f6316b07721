// Reading what the KC sends, on real pseudo-terminals.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <numeric>
#include <thread>

#include "link_test_support.h"
#include "pty_peer.h"

namespace morvale {
namespace {

using namespace std::chrono_literals;
using testing::DeviceProbe;
using testing::PtyPeer;
using testing::RecordedLink;
using testing::ScopedEnvironment;
using Clock = std::chrono::steady_clock;

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

// Reads `chunk` bytes at a time until `count` have come, the deadline has
// passed or the read failed.
std::vector<std::uint8_t> readUpTo(SerialLink& link, std::size_t count, Clock::time_point deadline,
                                   std::size_t chunk = 4096) {
    std::vector<std::uint8_t> read;
    std::vector<std::uint8_t> buffer(chunk);
    while (read.size() < count) {
        const ReadResult result = link.readBytes(buffer, deadline);
        if (result.failed || result.received == 0) {
            break;
        }
        read.insert(read.end(), buffer.begin(), buffer.begin() + result.received);
    }
    return read;
}

class SerialLinkReading : public ::testing::Test {
  protected:
    PtyPeer peer;
    RecordedLink recorded;
    TermiosSerialLink& link = recorded.link;
};

TEST_F(SerialLinkReading, PiecesArriveWholeAndInOrderWithEveryByteValueAsData) {
    // A line with XON/XOFF before must leave nothing of it to the hearing line.
    ASSERT_TRUE(link.open(peer.devicePath(), kUploadLine));
    link.close();
    ASSERT_TRUE(link.open(peer.devicePath(), kHearingLine));
    std::vector<std::uint8_t> all(256);
    std::iota(all.begin(), all.end(), 0);
    auto sending = std::async(std::launch::async, [&] {
        for (std::size_t at = 0; at < all.size(); at += 64) {
            peer.send(std::span(all).subspan(at, 64));
            std::this_thread::sleep_for(10ms);
        }
    });
    EXPECT_EQ(readUpTo(link, all.size(), Clock::now() + 5s, 7), all);
    sending.wait();
    EXPECT_EQ(link.writeText("A").written, 1) << "the 13h held the line";
    EXPECT_TRUE(recorded.diagnostics.empty());
}

TEST_F(SerialLinkReading, AnswerToAWriteIsReadWholeOnTheSamePort) {
    std::vector<std::uint8_t> memory(65536);
    for (std::size_t i = 0; i < memory.size(); ++i) {
        memory[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    }
    ASSERT_TRUE(link.open(peer.devicePath(), kHearingLine));
    peer.setResponder([&](std::span<const std::uint8_t> request) {
        return request[0] == 'M' ? memory : std::vector<std::uint8_t>{};
    });
    EXPECT_EQ(link.writeText("M").written, 1);
    EXPECT_EQ(readUpTo(link, memory.size(), Clock::now() + 20s), memory);
}

TEST_F(SerialLinkReading, SilenceGivesNothingAndNeverBeforeTheDeadline) {
    std::uint8_t buffer[16];
    EXPECT_EQ(link.readBytes(buffer, Clock::now() + 1s).received, 0) << "no port open";
    ASSERT_TRUE(link.open(peer.devicePath(), kHearingLine));
    for (const auto wait : {-1000ms, 0ms, 30ms}) {
        const auto deadline = Clock::now() + wait;
        const ReadResult result = link.readBytes(buffer, deadline);
        EXPECT_GE(Clock::now(), deadline) << wait.count();
        EXPECT_EQ(result.received, 0);
        EXPECT_FALSE(result.failed);
    }
    EXPECT_TRUE(recorded.diagnostics.empty());
}

// What came before the open is gone; what came after it waits for the read,
// which takes it even with its deadline past. DC1 and DC3 are data only on
// the hearing line.
TEST_F(SerialLinkReading, InputFromBeforeTheOpenIsDroppedAndInputSinceKept) {
    struct Case {
        const char* name;
        LineSettings line;
        const char* flow;  // MORVALE_FLOW
        std::string_view read;
    };
    const Case cases[] = {
        {"hearing", kHearingLine, "kernel",
         "n\x13"
         "ew\x11"},
        {"kernel keeps the flow", kKeyboardLine, "kernel", "new"},
        {"link keeps the flow", kUploadLine, "link", "new"},
    };
    DeviceProbe device(peer.devicePath());
    for (const Case& c : cases) {
        const ScopedEnvironment flow("MORVALE_FLOW", c.flow);
        // A raw line, so that the probe sees input without a line end.
        ASSERT_TRUE(link.open(peer.devicePath(), kHearingLine));
        link.close();
        peer.send(bytesOf("old"));
        ASSERT_TRUE(device.waitForInput());
        ASSERT_TRUE(link.open(peer.devicePath(), c.line));
        peer.send(
            bytesOf("n\x13"
                    "ew\x11"));
        ASSERT_TRUE(device.waitForInput());
        std::uint8_t buffer[16];
        const ReadResult result = link.readBytes(buffer, Clock::now() - 1s);
        EXPECT_EQ(std::string_view(reinterpret_cast<char*>(buffer), result.received), c.read)
            << c.name;
        link.close();
    }
}

// The upper bound is 10 times the wait, and the test runs alone.
class SerialLinkReadingTiming : public SerialLinkReading {};

TEST_F(SerialLinkReadingTiming, SilenceEndsSoonAfterTheDeadline) {
    ASSERT_TRUE(link.open(peer.devicePath(), kHearingLine));
    std::uint8_t buffer[16];
    const auto start = Clock::now();
    EXPECT_EQ(link.readBytes(buffer, start + 100ms).received, 0);
    EXPECT_LT(Clock::now() - start, 10 * 100ms);
}

}  // namespace
}  // namespace morvale
