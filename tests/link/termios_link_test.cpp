#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <numeric>
#include <thread>

#include "link_test_support.h"
#include "pty_peer.h"
#include "stuck_transmitter.h"

namespace morvale {
namespace {

using namespace std::chrono_literals;
using testing::PtyPeer;
using testing::RecordedLink;
using testing::ScopedEnvironment;
using testing::stuckTransmitter;
using Clock = std::chrono::steady_clock;

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

// True when another holder can take the device's lock, that is no one holds it.
bool isFree(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const bool free = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

class SerialLinkOnPty : public ::testing::Test {
  protected:
    PtyPeer peer;
    RecordedLink recorded;
    TermiosSerialLink& link = recorded.link;
};

TEST_F(SerialLinkOnPty, PassesEveryByteValueUnchanged) {
    std::vector<std::uint8_t> all(256);
    std::iota(all.begin(), all.end(), 0);
    // Line ends, 0x11 and 0x13 among them, and more than the driver is handed at once.
    ASSERT_TRUE(link.open(peer.devicePath(), kUploadLine));
    const WriteResult result = link.writeBytes(all);
    EXPECT_EQ(result.written, 256);
    EXPECT_FALSE(result.failed);
    ASSERT_TRUE(peer.waitForBytes(256, 2s));
    EXPECT_EQ(peer.receivedBytes(), all);

    peer.clear();
    std::vector<std::uint8_t> block(1024);
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    EXPECT_EQ(link.writeBytes(block).written, 1024);
    ASSERT_TRUE(peer.waitForBytes(1024, 2s));
    EXPECT_EQ(peer.receivedBytes(), block);
}

TEST_F(SerialLinkOnPty, WritesXoffCharacterAsData) {
    ASSERT_TRUE(link.open(peer.devicePath(), kKeyboardLine));
    EXPECT_EQ(link.writeText("\x13").written, 1);
    EXPECT_EQ(link.writeText("A").written, 1) << "the line runs on after its own 0x13";
    ASSERT_TRUE(peer.waitForBytes(2, 2s));
    EXPECT_EQ(peer.receivedBytes(), bytesOf("\x13"
                                            "A"));
}

TEST_F(SerialLinkOnPty, WriteTextStopsAtZeroByte) {
    using namespace std::string_view_literals;
    ASSERT_TRUE(link.open(peer.devicePath(), kKeyboardLine));
    EXPECT_EQ(link.writeText("AB\0CD"sv).written, 2);
    EXPECT_EQ(link.writeText("\r").written, 1);
    ASSERT_TRUE(peer.waitForBytes(3, 2s));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(peer.receivedBytes(), bytesOf("AB\r"));
}

TEST_F(SerialLinkOnPty, NothingToWriteOrNoPortGivesZero) {
    EXPECT_EQ(link.writeText("A").written, 0);
    EXPECT_FALSE(link.writeText("A").failed);
    EXPECT_EQ(link.writeBytes(bytesOf("AB")).written, 0);
    ASSERT_TRUE(link.open(peer.devicePath(), kKeyboardLine));
    EXPECT_EQ(link.writeText("").written, 0);
    EXPECT_EQ(link.writeText(std::string_view("\0A", 2)).written, 0);
    link.close();
    EXPECT_EQ(link.writeText("A").written, 0);
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(peer.receivedBytes().empty());
    EXPECT_TRUE(recorded.diagnostics.empty());
}

// Upper bounds catch a write that outlasts its time-out: 10 times what it
// should take, and run alone (the suite names end in Timing).
class SerialLinkTiming : public SerialLinkOnPty {};

TEST_F(SerialLinkTiming, XoffStallsAWriteUntilItsTimeOut) {
    ASSERT_TRUE(link.open(peer.devicePath(), kKeyboardLine));
    peer.sendXoff();
    const auto start = Clock::now();
    const WriteResult result = link.writeText("A");
    const auto took = Clock::now() - start;
    EXPECT_EQ(result.written, 0);
    EXPECT_FALSE(result.failed);
    EXPECT_GE(took, 105ms);
    EXPECT_LT(took, 10 * 110ms);
    // The deadline's timer signal is gone with the write.
    sigset_t pending;
    sigpending(&pending);
    EXPECT_FALSE(sigismember(&pending, deadlineSignal()));

    peer.sendXon();
    EXPECT_EQ(link.writeText("B").written, 1);
    ASSERT_TRUE(peer.waitForBytes(1, 2s));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(peer.receivedBytes(), bytesOf("B")) << "the timed-out byte was never sent";
    EXPECT_TRUE(recorded.diagnostics.empty());
}

TEST_F(SerialLinkOnPty, XonDuringAWriteLetsItFinish) {
    ASSERT_TRUE(link.open(peer.devicePath(), kUploadLine));
    peer.sendXoff();
    const auto start = Clock::now();
    auto xon = std::async(std::launch::async, [&] {
        std::this_thread::sleep_for(40ms);
        peer.sendXon();
    });
    // Its time-out of five seconds leaves a busy machine time to send the XON.
    const std::vector<std::uint8_t> bytes(50, 'T');
    const WriteResult result = link.writeBytes(bytes);
    const auto took = Clock::now() - start;
    xon.wait();
    EXPECT_EQ(result.written, 50);  // a write stalled to its time-out sends none
    EXPECT_GE(took, 40ms);
    ASSERT_TRUE(peer.waitForBytes(50, 2s));
    EXPECT_EQ(peer.receivedBytes(), bytes);
}

TEST_F(SerialLinkOnPty, StaleXoffDoesNotSurviveReopen) {
    ASSERT_TRUE(link.open(peer.devicePath(), kKeyboardLine));
    peer.sendXoff();
    link.close();
    ASSERT_TRUE(link.open(peer.devicePath(), kKeyboardLine));
    EXPECT_EQ(link.writeText("A").written, 1);
    EXPECT_TRUE(peer.waitForBytes(1, 2s));
}

TEST_F(SerialLinkOnPty, PortHeldByAnotherProgramFailsTheOpen) {
    const int holder = ::open(peer.devicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    const ScopedEnvironment com2("MORVALE_COM2", peer.devicePath());
    EXPECT_FALSE(link.open("COM2", kKeyboardLine));
    EXPECT_FALSE(link.isOpen());
    ASSERT_EQ(recorded.diagnostics.size(), 1u);
    EXPECT_EQ(recorded.diagnostics[0],
              "morvale: COM2 (" + peer.devicePath() + "): is in use by another program");
    ::close(holder);
    EXPECT_TRUE(link.open("COM2", kKeyboardLine));
}

TEST_F(SerialLinkOnPty, MissingDeviceFailsWithAHint) {
    const ScopedEnvironment com4("MORVALE_COM4", "/dev/no-such-adapter");
    EXPECT_FALSE(link.open("COM4", kKeyboardLine));
    EXPECT_FALSE(link.isOpen());
    ASSERT_EQ(recorded.diagnostics.size(), 1u);
    EXPECT_EQ(recorded.diagnostics[0],
              "morvale: COM4 (/dev/no-such-adapter): no such device; correct or unset "
              "MORVALE_COM4");
    struct stat info {};
    EXPECT_NE(::stat("/dev/no-such-adapter", &info), 0) << "nothing is created";
}

TEST_F(SerialLinkOnPty, FileThatIsNoTerminalFailsTheOpen) {
    char path[] = "/tmp/link-not-a-tty-XXXXXX";
    ::close(::mkstemp(path));
    EXPECT_FALSE(link.open(path, kKeyboardLine));
    EXPECT_FALSE(link.isOpen());
    ASSERT_EQ(recorded.diagnostics.size(), 1u);
    EXPECT_EQ(recorded.diagnostics[0], std::string("morvale: ") + path + ": is not a serial port");
    EXPECT_TRUE(isFree(path));
    ::unlink(path);
}

TEST_F(SerialLinkOnPty, OpensTheDeviceNamedByEnvironmentAndNameCutAt59) {
    const ScopedEnvironment com1("MORVALE_COM1", peer.devicePath());
    ASSERT_TRUE(link.open("COM1", kKeyboardLine));
    EXPECT_EQ(link.writeText("1").written, 1);
    link.close();

    // A 70-character name whose first 59 characters name a link to the slave.
    char folder[] = "/tmp/link-name-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    std::string path59 = std::string(folder) + "/";
    path59 += std::string(59 - path59.size(), 'p');
    ASSERT_EQ(::symlink(peer.devicePath().c_str(), path59.c_str()), 0);
    EXPECT_TRUE(link.open(path59 + "-not-used!", kKeyboardLine));
    EXPECT_EQ(link.writeText("2").written, 1);
    ASSERT_TRUE(peer.waitForBytes(2, 2s));
    EXPECT_EQ(peer.receivedBytes(), bytesOf("12"));
    ::unlink(path59.c_str());
    ::rmdir(folder);
}

TEST_F(SerialLinkOnPty, SecondOpenReplacesTheFirstPort) {
    PtyPeer other;
    ASSERT_TRUE(link.open(peer.devicePath(), kKeyboardLine));
    EXPECT_FALSE(isFree(peer.devicePath()));
    ASSERT_TRUE(link.open(other.devicePath(), kKeyboardLine));
    EXPECT_TRUE(isFree(peer.devicePath())) << "the first port is released";
    EXPECT_FALSE(isFree(other.devicePath()));
    EXPECT_EQ(link.writeText("X").written, 1);
    ASSERT_TRUE(other.waitForBytes(1, 2s));
    EXPECT_TRUE(peer.receivedBytes().empty());
}

TEST_F(SerialLinkOnPty, FailedSecondOpenKeepsTheFirstPort) {
    ASSERT_TRUE(link.open(peer.devicePath(), kKeyboardLine));
    EXPECT_FALSE(link.open("/dev/no-such-adapter", kKeyboardLine));
    EXPECT_FALSE(link.open(peer.devicePath(), kKeyboardLine)) << "the link itself holds it";
    EXPECT_FALSE(link.open("LPT1", kKeyboardLine));
    EXPECT_TRUE(link.isOpen());
    EXPECT_EQ(recorded.diagnostics.size(), 3u);
    EXPECT_EQ(link.writeText("Y").written, 1);
    ASSERT_TRUE(peer.waitForBytes(1, 2s));
    EXPECT_EQ(peer.receivedBytes(), bytesOf("Y"));
}

TEST_F(SerialLinkOnPty, CloseTwiceAndDestructionReleaseThePort) {
    ASSERT_TRUE(link.open(peer.devicePath(), kKeyboardLine));
    link.close();
    link.close();
    EXPECT_FALSE(link.isOpen());
    EXPECT_TRUE(isFree(peer.devicePath()));
    {
        TermiosSerialLink scoped([](std::string_view) {});
        ASSERT_TRUE(scoped.open(peer.devicePath(), kKeyboardLine));
        EXPECT_FALSE(isFree(peer.devicePath()));
    }
    EXPECT_TRUE(isFree(peer.devicePath()));
}

// The device vanishing (a USB adapter pulled) is the peer's master closing.
TEST(SerialLinkOnVanishingPty, ReadOrWriteFailsAsDeviceLostAndSaysSoOncePerOpen) {
    enum class First { Read, ReadWhileWaiting, Write };
    for (const First first : {First::Read, First::ReadWhileWaiting, First::Write}) {
        PtyPeer peer;
        RecordedLink recorded;
        TermiosSerialLink& link = recorded.link;
        ASSERT_TRUE(link.open(peer.devicePath(), kHearingLine));
        std::future<void> unplug;
        if (first == First::ReadWhileWaiting) {
            unplug = std::async(std::launch::async, [&] {
                std::this_thread::sleep_for(50ms);
                peer.vanish();
            });
        } else {
            peer.vanish();
        }
        // A read that missed the loss would run to its deadline and succeed.
        std::uint8_t buffer[16];
        const auto read = [&] { return link.readBytes(buffer, Clock::now() + 10s); };
        if (first == First::Write) {
            const WriteResult written = link.writeText("A");
            EXPECT_TRUE(written.failed);
            EXPECT_EQ(written.written, 0);
            EXPECT_TRUE(read().failed);
        } else {
            const ReadResult received = read();
            EXPECT_TRUE(received.failed);
            EXPECT_EQ(received.received, 0);
            EXPECT_TRUE(link.writeText("A").failed);
        }
        ASSERT_TRUE(link.lastFailure());
        EXPECT_EQ(link.lastFailure()->kind, kc::ErrorKind::DeviceLost);
        const std::string transfer = first == First::Write ? "write" : "read";
        EXPECT_EQ(recorded.diagnostics,
                  std::vector<std::string>{"morvale: " + peer.devicePath() + ": " + transfer +
                                           " failed: Input/output error"});
    }
}

class StuckTransmitterTiming : public SerialLinkOnPty {
  protected:
    ~StuckTransmitterTiming() override {
        stuckTransmitter().stuck = false;
        stuckTransmitter().lateStartMs = 0;
    }
};

TEST_F(StuckTransmitterTiming, WriteEndsAtItsDeadline) {
    ASSERT_TRUE(link.open(peer.devicePath(), kKeyboardLine));
    stuckTransmitter().stuck = true;
    const auto start = Clock::now();
    const WriteResult result = link.writeBytes(bytesOf("ABCDE"));
    const auto took = Clock::now() - start;
    EXPECT_GE(took, 505ms);
    EXPECT_LT(took, 10 * 510ms);
    EXPECT_EQ(result.written, 5) << "all of it left the driver's queue";
    EXPECT_FALSE(result.failed);
}

TEST_F(StuckTransmitterTiming, SignalJustBeforeTheWaitCannotHangIt) {
    ASSERT_TRUE(link.open(peer.devicePath(), kKeyboardLine));
    stuckTransmitter().stuck = true;
    stuckTransmitter().lateStartMs = 150;  // the deadline passes meanwhile
    const auto start = Clock::now();
    EXPECT_EQ(link.writeText("A").written, 1);
    EXPECT_LT(Clock::now() - start, 10 * 150ms);
}

}  // namespace
}  // namespace morvale
