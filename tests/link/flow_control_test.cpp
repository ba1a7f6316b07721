#include "flow_control.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "link_test_support.h"
#include "pty_peer.h"
#include "scratch_dir.h"

namespace morvale {
namespace {

using namespace std::chrono_literals;
using testing::DeviceProbe;
using testing::PtyPeer;
using testing::RecordedLink;
using testing::ScopedEnvironment;
using testing::ScratchDir;
namespace fs = std::filesystem;

constexpr std::uint8_t kXon = 0x11;
constexpr std::uint8_t kXoff = 0x13;

std::vector<std::uint8_t> pattern(std::size_t count, std::uint8_t first) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(first + i * 5);  // 0x11 and 0x13 among them
    }
    return bytes;
}

TEST(FlowChoice, KernelWhereTheDriverOrItsChipStopsTheLinkElsewhere) {
    const ScratchDir scratch;
    const fs::path root = scratch.path();
    const auto tty = [&](const std::string& name, const std::string& driver) {
        fs::create_directories(root / "class/tty" / name / "device");
        if (!driver.empty()) {
            fs::create_directory_symlink("../../../../bus/usb-serial/drivers/" + driver,
                                         root / "class/tty" / name / "device/driver");
        }
    };
    tty("ttyUSB0", "ch341");
    tty("ttyUSB1", "ftdi_sio");
    tty("ttyUSB2", "cp210x");
    tty("ttyUSB3", "pl2303");
    tty("ttyACM0", "cdc_acm");
    tty("ttyS0", "port");
    tty("ttyAMA0", "uart-pl011");
    std::ofstream(root / "class/tty/ttyAMA0/uartclk") << "24000000\n";

    const auto choice = [&](const char* name) { return flowChoiceForTty(name, root.string()); };
    EXPECT_TRUE(choice("ttyUSB0").linkKeepsFlow);
    EXPECT_EQ(choice("ttyUSB0").driver, "ch341");
    EXPECT_TRUE(choice("ttyACM0").linkKeepsFlow);
    EXPECT_TRUE(choice("ttyGS0").linkKeepsFlow) << "unknown to sysfs";
    EXPECT_EQ(choice("ttyGS0").driver, "unknown");
    for (const char* kernel : {"ttyUSB1", "ttyUSB2", "ttyUSB3", "ttyS0", "ttyAMA0"}) {
        EXPECT_FALSE(choice(kernel).linkKeepsFlow) << kernel;
    }
}

TEST(FlowChoice, PseudoTerminalGoesToTheKernelUnlessOverridden) {
    PtyPeer peer;
    DeviceProbe device(peer.devicePath());
    RecordedLink recorded;
    ::unsetenv("MORVALE_FLOW");
    ASSERT_TRUE(recorded.link.open(peer.devicePath(), kUploadLine));
    EXPECT_EQ(device.settings().c_iflag & (IXON | IXOFF), tcflag_t{IXON | IXOFF});
    EXPECT_TRUE(recorded.diagnostics.empty());
    {
        const ScopedEnvironment flow("MORVALE_FLOW", "link");
        recorded.link.close();
        ASSERT_TRUE(recorded.link.open(peer.devicePath(), kUploadLine));
        EXPECT_EQ(device.settings().c_iflag & (IXON | IXOFF), tcflag_t{IXOFF});
        recorded.link.close();
        ASSERT_TRUE(recorded.link.open(peer.devicePath(), kUploadLine));
    }
    ASSERT_EQ(recorded.diagnostics.size(), 1u) << "once per run";
    EXPECT_EQ(recorded.diagnostics[0],
              "morvale: " + peer.devicePath() +
                  ": the driver pseudo-terminal does not stop on XOFF; the "
                  "program does (MORVALE_FLOW=kernel leaves it to the "
                  "driver)");
}

// The KC's DC3 and DC1 arrive as data, as a ch341 adapter delivers them.
class LinkKeepsFlowOnPty : public ::testing::Test {
  protected:
    // Sends the bytes and returns once they wait at the link's end.
    void sendBeforeWrite(std::initializer_list<std::uint8_t> bytes) {
        peer.send(std::vector<std::uint8_t>(bytes));
        ASSERT_TRUE(device.waitForInput());
    }

    ScopedEnvironment flow{"MORVALE_FLOW", "link"};
    PtyPeer peer;
    DeviceProbe device{peer.devicePath()};
    RecordedLink recorded;
    TermiosSerialLink& link = recorded.link;
};

TEST_F(LinkKeepsFlowOnPty, XoffHoldsAcrossWritesAndXonReleasesWithNothingLostOrDoubled) {
    ASSERT_TRUE(link.open(peer.devicePath(), kUploadLine));
    const auto first = pattern(40, 1);
    EXPECT_EQ(link.writeBytes(first).written, 40);
    ASSERT_TRUE(peer.waitForBytes(40, 2s));

    sendBeforeWrite({'x', kXoff, 'y'});
    const auto second = pattern(300, 2);
    auto writing = std::async(std::launch::async, [&] { return link.writeBytes(second); });
    EXPECT_EQ(writing.wait_for(150ms), std::future_status::timeout);
    EXPECT_EQ(peer.receivedBytes().size(), 40u) << "nothing after the XOFF";

    peer.send(std::vector<std::uint8_t>{'z', kXon});
    const WriteResult result = writing.get();
    EXPECT_EQ(result.written, 300);
    EXPECT_FALSE(result.failed);
    ASSERT_TRUE(peer.waitForBytes(340, 2s));
    std::this_thread::sleep_for(20ms);
    auto expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(peer.receivedBytes(), expected);
    std::uint8_t heard[8];
    const ReadResult read = link.readBytes(heard, std::chrono::steady_clock::now());
    EXPECT_EQ(std::string_view(reinterpret_cast<char*>(heard), read.received), "xyz")
        << "the KC's data during the write is kept for the read";
}

TEST_F(LinkKeepsFlowOnPty, HoldLongerThanTheTimeOutGivesTheShortCountAndReopenReleases) {
    ASSERT_TRUE(link.open(peer.devicePath(), kKeyboardLine));
    sendBeforeWrite({kXoff});
    const auto start = std::chrono::steady_clock::now();
    const WriteResult held = link.writeBytes(pattern(3, 'A'));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 310ms);
    EXPECT_EQ(held.written, 0);
    EXPECT_FALSE(held.failed);

    link.close();
    ASSERT_TRUE(link.open(peer.devicePath(), kKeyboardLine));
    EXPECT_EQ(link.writeText("D").written, 1);
    ASSERT_TRUE(peer.waitForBytes(1, 2s));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(peer.receivedBytes(), std::vector<std::uint8_t>{'D'}) << "the held bytes never left";
}

}  // namespace
}  // namespace morvale
