#include <gtest/gtest.h>
#include <sys/file.h>

#include "link_test_support.h"
#include "pty_peer.h"

namespace morvale {
namespace {

using testing::DeviceProbe;
using testing::PtyPeer;
using testing::RecordedLink;

LineSettings lineWith(std::int32_t parity, std::int32_t dataBits, float stopBits,
                      std::int32_t handshake = 3) {
    LineSettings settings = kKeyboardLine;
    settings.parity = parity;
    settings.dataBits = dataBits;
    settings.stopBits = stopBits;
    settings.handshake = handshake;
    return settings;
}

TEST(LineSettings, OpenSetsARawLineFromTheKernelDefaults) {
    PtyPeer peer;  // the slave starts cooked: echo, canonical, CR/LF mapping
    DeviceProbe device(peer.devicePath());
    RecordedLink recorded;
    device.change(0, 0, IXANY | IUCLC, 0);
    ASSERT_TRUE(recorded.link.open(peer.devicePath(), kKeyboardLine));
    const termios line = device.settings();
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN), 0u);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);
    EXPECT_EQ(line.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IUCLC | IXANY | BRKINT), 0u);
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF), tcflag_t{IXON | IXOFF});
    EXPECT_EQ(line.c_cc[VSTART], 0x11);
    EXPECT_EQ(line.c_cc[VSTOP], 0x13);
    EXPECT_EQ(cfgetospeed(&line), speed_t{B1200});
    EXPECT_EQ(cfgetispeed(&line), speed_t{B1200});
    EXPECT_EQ(line.c_cflag & CSIZE, tcflag_t{CS8});
    EXPECT_EQ(line.c_cflag & (CREAD | CLOCAL), tcflag_t{CREAD | CLOCAL});
    EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_TRUE(recorded.diagnostics.empty());
}

TEST(LineSettings, SoftwareHandshakeKeepsThePortsHupclAndRtsCts) {
    PtyPeer peer;
    DeviceProbe device(peer.devicePath());
    RecordedLink recorded;
    device.change(CRTSCTS, HUPCL);
    ASSERT_TRUE(recorded.link.open(peer.devicePath(), kUploadLine));
    termios line = device.settings();
    EXPECT_EQ(line.c_cflag & (CRTSCTS | HUPCL), tcflag_t{CRTSCTS});
    recorded.link.close();

    device.change(HUPCL, CRTSCTS);
    ASSERT_TRUE(recorded.link.open(peer.devicePath(), kUploadLine));
    line = device.settings();
    EXPECT_EQ(line.c_cflag & (CRTSCTS | HUPCL), tcflag_t{HUPCL});
}

TEST(LineSettings, HandshakeModesZeroAndTwoKeepThePortsXonXoffOneHasNone) {
    PtyPeer peer;
    DeviceProbe device(peer.devicePath());
    RecordedLink recorded;
    const auto openedWith = [&](std::int32_t handshake) {
        recorded.link.close();
        EXPECT_TRUE(recorded.link.open(peer.devicePath(), lineWith(0, 8, 1.0f, handshake)));
        return device.settings();
    };
    device.change(CRTSCTS, 0, IXOFF, IXON);
    termios line = openedWith(0);
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF), tcflag_t{IXOFF});
    EXPECT_EQ(line.c_cflag & CRTSCTS, 0u);
    line = openedWith(2);
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF), tcflag_t{IXOFF});
    EXPECT_EQ(line.c_cflag & CRTSCTS, tcflag_t{CRTSCTS});
    line = openedWith(1);
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF), 0u);
    EXPECT_EQ(line.c_cflag & CRTSCTS, 0u);
    device.change(CRTSCTS, 0, IXON, IXOFF);
    line = openedWith(7);  // an unknown mode changes no handshake setting
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF), tcflag_t{IXON});
    EXPECT_EQ(line.c_cflag & CRTSCTS, tcflag_t{CRTSCTS});
}

TEST(LineSettings, StopBitsOneOnlyForOnePointZero) {
    PtyPeer peer;
    DeviceProbe device(peer.devicePath());
    RecordedLink recorded;
    for (const float stopBits : {1.0f, 2.0f, 1.5f, 3.0f, 0.0f}) {
        ASSERT_TRUE(recorded.link.open(peer.devicePath(), lineWith(0, 8, stopBits)));
        EXPECT_EQ((device.settings().c_cflag & CSTOPB) != 0, stopBits != 1.0f) << stopBits;
        recorded.link.close();
    }
}

// A pseudo-terminal always reads back 8 bits without parity, so the character
// size and the parity are checked on the settings the link computes.
TEST(LineSettings, ParityCodesIncludeMarkAndSpace) {
    const termios port{};
    const std::pair<std::int32_t, tcflag_t> expected[] = {
        {0, 0},
        {1, PARENB | PARODD},
        {2, PARENB},
        {3, PARENB | PARODD | CMSPAR},
        {4, PARENB | CMSPAR},
    };
    for (const auto& [code, flags] : expected) {
        termios line{};
        ASSERT_TRUE(makeLineTermios(port, lineWith(code, 8, 1.0f), line));
        EXPECT_EQ(line.c_cflag & (PARENB | PARODD | CMSPAR), flags) << "parity code " << code;
    }
    termios line{};
    EXPECT_FALSE(makeLineTermios(port, lineWith(5, 8, 1.0f), line));
    EXPECT_FALSE(makeLineTermios(port, lineWith(-1, 8, 1.0f), line));
}

TEST(LineSettings, CharacterSizeFromDataBits) {
    const termios port{};
    termios line{};
    ASSERT_TRUE(makeLineTermios(port, lineWith(2, 7, 1.0f), line));
    EXPECT_EQ(line.c_cflag & CSIZE, tcflag_t{CS7});
    ASSERT_TRUE(makeLineTermios(port, lineWith(0, 5, 1.0f), line));
    EXPECT_EQ(line.c_cflag & CSIZE, tcflag_t{CS5});
    EXPECT_FALSE(makeLineTermios(port, lineWith(0, 4, 1.0f), line));
    EXPECT_FALSE(makeLineTermios(port, lineWith(0, 9, 1.0f), line));
}

TEST(LineSettings, RefusedSettingsCloseTheDeviceAndKeepTheOldPort) {
    PtyPeer first;
    PtyPeer second;
    RecordedLink recorded;
    ASSERT_TRUE(recorded.link.open(first.devicePath(), kKeyboardLine));
    LineSettings oddSpeed = kKeyboardLine;
    oddSpeed.baud = 1234;
    EXPECT_FALSE(recorded.link.open(second.devicePath(), oddSpeed));
    EXPECT_FALSE(recorded.link.open(second.devicePath(), lineWith(7, 8, 1.0f)));
    ASSERT_EQ(recorded.diagnostics.size(), 2u);
    EXPECT_EQ(recorded.diagnostics[0],
              "morvale: " + second.devicePath() + ": does not take the line settings");

    // The refused device is free again, and the first port still carries bytes.
    const int fd = ::open(second.devicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
    EXPECT_EQ(recorded.link.writeText("K").written, 1);
    EXPECT_TRUE(first.waitForBytes(1, std::chrono::seconds(2)));
}

}  // namespace
}  // namespace morvale
