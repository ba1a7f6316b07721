// kcsend ports from a sysfs tree: COM1 to COM4, the ports past them and the
// adapter without a tty, each line up to the part that depends on /dev.
#include "port_list.h"

#include <gtest/gtest.h>

#include <sstream>

#include "fake_sysfs.h"

namespace morvale::console {
namespace {

TEST(PortList, ListsTheComPortsThenTheOthersThenAdaptersWithoutTty) {
    testing::FakeSysfs sysfs;
    sysfs.addSerialPort("ttyS0");
    sysfs.addSerialPort("ttyS1", 0);
    sysfs.addAdapter("ttyUSB0", "ch341", "1-1.2");
    sysfs.addAdapter("ttyUSB1", "ftdi_sio", "1-1.4", "0403:6001");
    sysfs.addAdapter("ttyUSB2", "cp210x", "1-1.5", "10c4:ea60");
    sysfs.addAdapter("ttyACM0", "cdc_acm", "2-1", "2341:0043");
    sysfs.addUsbDevice("1-1.3", "1a86:7523", "usbfs");
    for (const char* variable : {"MORVALE_COM1", "MORVALE_COM2", "MORVALE_COM3", "MORVALE_COM4"}) {
        ::unsetenv(variable);
    }
    std::istringstream list(portList(sysfs.root()));
    const char* const expected[] = {
        "COM1  /dev/ttyS0    on-board UART, driver serial8250; XOFF: kernel; ",
        "COM2  /dev/ttyUSB0  CH340 USB adapter at 1-1.2, driver ch341; XOFF: kcsend; ",
        "COM3  /dev/ttyUSB1  FTDI USB adapter at 1-1.4, driver ftdi_sio; XOFF: kernel; ",
        "COM4  /dev/ttyUSB2  CP210x USB adapter at 1-1.5, driver cp210x; XOFF: kernel; ",
        "      /dev/ttyACM0  CDC-ACM USB adapter at 2-1, driver cdc_acm; XOFF: kcsend; ",
        "note: the USB adapter CH340 (1a86:7523) at 1-1.3 has no serial device; a braille "
        "display service (brltty) may have taken it: remove the package brltty or its udev rule",
    };
    std::string line;
    for (const char* start : expected) {
        ASSERT_TRUE(std::getline(list, line)) << start;
        EXPECT_TRUE(line.starts_with(start)) << line;
    }
    EXPECT_FALSE(std::getline(list, line)) << line;
}

}  // namespace
}  // namespace morvale::console
