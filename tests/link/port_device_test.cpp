#include "port_device.h"

#include <gtest/gtest.h>

#include <grp.h>

#include <cerrno>

#include "link_test_support.h"
#include "port_messages.h"

namespace morvale {
namespace {

using testing::ScopedEnvironment;

TEST(PortDevice, MapsComPortsToOnBoardSerialPorts) {
    ::unsetenv("MORVALE_COM1");
    ::unsetenv("MORVALE_COM4");
    EXPECT_EQ(portDevice("COM1").path, "/dev/ttyS0");
    EXPECT_EQ(portDevice("COM4").path, "/dev/ttyS3");
    EXPECT_EQ(portDevice("COM4").environment, "MORVALE_COM4");
}

TEST(PortDevice, EnvironmentVariableNamesTheDeviceWhenNotEmpty) {
    {
        const ScopedEnvironment usb("MORVALE_COM2", "/dev/ttyUSB0");
        EXPECT_EQ(portDevice("COM2").path, "/dev/ttyUSB0");
        EXPECT_EQ(portDevice("COM3").path, "/dev/ttyS2") << "only its own port";
    }
    const ScopedEnvironment empty("MORVALE_COM2", "");
    EXPECT_EQ(portDevice("COM2").path, "/dev/ttyS1");
}

TEST(PortDevice, UsesOnlyTheFirst59Characters) {
    const std::string path59 = "/dev/" + std::string(54, 'x');
    const PortDevice device = portDevice(path59 + "0123456789A");  // 70 characters
    EXPECT_EQ(device.name, path59);
    EXPECT_EQ(device.path, path59);
    EXPECT_TRUE(device.environment.empty());
    // A port name made longer than 59 characters is no longer a port name.
    EXPECT_EQ(portDevice("COM2" + std::string(66, ' ')).name, "COM2" + std::string(55, ' '));
    EXPECT_TRUE(portDevice("COM2" + std::string(66, ' ')).path.empty());
}

TEST(PortDevice, OtherNamesStandForNoDevice) {
    for (const char* name : {"", "COM0", "COM5", "com2", "COM12", "ttyS0", "COM2 "}) {
        EXPECT_TRUE(portDevice(name).path.empty()) << '"' << name << '"';
    }
    using namespace std::string_view_literals;
    EXPECT_EQ(portDevice("COM1\0junk"sv).name, "COM1") << "a text ends at its zero byte";
}

TEST(PortMessages, TellTheUserWhatToDo) {
    const ScopedEnvironment none("MORVALE_COM2", "");
    const PortDevice com2 = portDevice("COM2");
    EXPECT_EQ(openFailureMessage(com2, EBUSY),
              "morvale: COM2 (/dev/ttyS1): is in use by another program");
    EXPECT_EQ(openFailureMessage(com2, EWOULDBLOCK),
              "morvale: COM2 (/dev/ttyS1): is in use by another program");
    EXPECT_EQ(openFailureMessage(com2, ENOENT),
              "morvale: COM2 (/dev/ttyS1): no such device; set MORVALE_COM2 to the device, for "
              "example /dev/ttyUSB0");
    EXPECT_EQ(openFailureMessage(com2, EIO), openFailureMessage(com2, ENOENT))
        << "an on-board port without a UART";
    EXPECT_EQ(openFailureMessage(com2, ENOSPC),
              "morvale: COM2 (/dev/ttyS1): No space left on device");
    EXPECT_EQ(openFailureMessage(portDevice("/dev/pts/9"), ENOENT),
              "morvale: /dev/pts/9: no such device");
    EXPECT_EQ(openFailureMessage(portDevice("LPT1"), 0),
              "morvale: LPT1: no such port; use COM1 to COM4 or a device path");
    EXPECT_EQ(openFailureMessage(portDevice(""), 0), "morvale: no serial port given");
    EXPECT_EQ(writeFailureMessage(com2, EIO),
              "morvale: COM2 (/dev/ttyS1): write failed: Input/output error");
}

TEST(PortMessages, PermissionAdviceNamesTheDevicesGroup) {
    const ScopedEnvironment missing("MORVALE_COM1", "/nonexistent/ttyUSB7");
    EXPECT_EQ(openFailureMessage(portDevice("COM1"), EACCES),
              "morvale: COM1 (/nonexistent/ttyUSB7): Permission denied; add your user to the group "
              "'dialout' and log in again");
    // The advice follows the group that owns the device.
    const group* tty = ::getgrnam("tty");
    ASSERT_NE(tty, nullptr);
    char path[] = "/tmp/link-permission-XXXXXX";
    const int fd = ::mkstemp(path);
    const bool owned = ::fchown(fd, ::geteuid(), tty->gr_gid) == 0;
    ::close(fd);
    if (!owned) {
        ::unlink(path);
        GTEST_SKIP() << "cannot give a file to the group tty";
    }
    const ScopedEnvironment ttyDevice("MORVALE_COM1", path);
    EXPECT_NE(openFailureMessage(portDevice("COM1"), EACCES).find("to the group 'tty' and"),
              std::string::npos);
    ::unlink(path);
}

}  // namespace
}  // namespace morvale
