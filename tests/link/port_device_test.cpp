#include "port_device.h"

#include <gtest/gtest.h>

#include <grp.h>

#include <cerrno>

#include "fake_sysfs.h"
#include "link_test_support.h"
#include "port_messages.h"

namespace morvale {
namespace {

using testing::ScopedEnvironment;

TEST(PortDevice, ComNamesStandForThePortsPresentAtTheCallUnlessAVariableFixesOne) {
    testing::FakeSysfs sysfs;
    sysfs.addSerialPort("ttyS0");
    sysfs.addSerialPort("ttyS1", 0);
    sysfs.addAdapter("ttyUSB0", "ch341", "1-1.2");
    const auto path = [&](const char* name) { return portDevice(name, sysfs.root()).path; };
    const ScopedEnvironment unset1("MORVALE_COM1", ""), unset3("MORVALE_COM3", "");
    {
        const ScopedEnvironment unset2("MORVALE_COM2", "");
        EXPECT_EQ(path("COM1"), "/dev/ttyS0");
        EXPECT_EQ(path("COM2"), "/dev/ttyUSB0");
        EXPECT_EQ(path("COM3"), "");
        EXPECT_EQ(portDevice("COM3", sysfs.root()).environment, "MORVALE_COM3");
    }
    const ScopedEnvironment fixed("MORVALE_COM2", "/dev/ttyUSB7");
    EXPECT_EQ(path("COM2"), "/dev/ttyUSB7");
    EXPECT_TRUE(portDevice("COM2", sysfs.root()).fromEnvironment);
    sysfs.addAdapter("ttyUSB1", "ftdi_sio", "1-1.3");
    EXPECT_EQ(path("COM3"), "/dev/ttyUSB1") << "plugged in after the first look";
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
