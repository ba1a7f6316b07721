// COM numbers from what the system shows, as tables: each case lists the
// serial devices and the ttys that COM1 to COM4 get, then those left over.
#include "com_numbers.h"

#include <gtest/gtest.h>

#include "fake_sysfs.h"

namespace morvale {
namespace {

SerialDevice uart(const std::string& name, bool present = true) {
    return {name, "serial8250", present, ""};
}
SerialDevice adapter(const std::string& name, const std::string& usbPath) {
    return {name, name.starts_with("ttyACM") ? "cdc_acm" : "ch341", false, usbPath + ":1.0"};
}

// "ttyS0 ttyUSB0 - - | ttyUSB4": COM1 to COM4, then the unnumbered.
std::string numbering(const PortMap& map) {
    std::string text;
    for (const auto& device : map.com) {
        text += (device ? device->name : "-") + " ";
    }
    text += "|";
    for (const SerialDevice& device : map.unnumbered) {
        text += " " + device.name;
    }
    return text;
}

TEST(ComNumbers, OnBoardUartsKeepTheirNumbersAdaptersTakeTheFreeOnesBySocket) {
    struct Case {
        const char* what;
        std::vector<SerialDevice> devices;
        const char* numbering;
    };
    const Case cases[] = {
        {"no device", {}, "- - - - |"},
        {"ttyS nodes without UARTs",
         {uart("ttyS0", false), uart("ttyS1", false), uart("ttyS2", false), uart("ttyS3", false)},
         "- - - - |"},
        {"one adapter", {uart("ttyS1", false), adapter("ttyUSB0", "1-1")}, "- ttyUSB0 - - |"},
        {"two adapters, by socket not tty number, 1.10 after 1.2",
         {adapter("ttyUSB0", "1-1.10"), adapter("ttyUSB1", "1-1.2")},
         "- ttyUSB1 ttyUSB0 - |"},
        {"an on-board UART and an adapter",
         {uart("ttyS0"), adapter("ttyACM0", "3-2")},
         "ttyS0 ttyACM0 - - |"},
        {"an adapter makes way for ttyS1",
         {uart("ttyS1"), adapter("ttyUSB0", "1-1")},
         "- ttyS1 ttyUSB0 - |"},
        {"five adapters: COM1 last, the fifth by path",
         {adapter("ttyUSB4", "2-1"), adapter("ttyUSB3", "1-4"), adapter("ttyUSB2", "1-3"),
          adapter("ttyUSB1", "1-2"), adapter("ttyUSB0", "1-1")},
         "ttyUSB3 ttyUSB0 ttyUSB1 ttyUSB2 | ttyUSB4"},
        {"UARTs past ttyS3 and of other names",
         {uart("ttyS0"), uart("ttyS4"), uart("ttyAMA0"), adapter("ttyUSB0", "1-1")},
         "ttyS0 ttyUSB0 - - | ttyAMA0 ttyS4"},
        {"two adapters in 1-1.1 and 1-1.2",
         {adapter("ttyUSB0", "1-1.1"), adapter("ttyUSB1", "1-1.2")},
         "- ttyUSB0 ttyUSB1 - |"},
        {"the one of 1-1.1 replugged there as ttyUSB2",
         {adapter("ttyUSB1", "1-1.2"), adapter("ttyUSB2", "1-1.1")},
         "- ttyUSB2 ttyUSB1 - |"},
        {"the one of 1-1.1 replugged into 1-1.3",
         {adapter("ttyUSB1", "1-1.2"), adapter("ttyUSB0", "1-1.3")},
         "- ttyUSB1 ttyUSB0 - |"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(numbering(mapComPorts({c.devices, {}})), c.numbering) << c.what;
    }
}

TEST(SerialDevices, ReadFromSysfsWithTheirUartDriverAndSocket) {
    testing::FakeSysfs sysfs;
    sysfs.addSerialPort("ttyS0");
    sysfs.addSerialPort("ttyS1", 0);
    sysfs.addAdapter("ttyUSB0", "ch341", "1-1.2");
    sysfs.addAdapter("ttyACM0", "cdc_acm", "2-1", "2341:0043");
    sysfs.addUsbDevice("1-1.3", "1a86:7523", "usbfs");   // a CH340 a braille service took
    sysfs.addUsbDevice("1-1.5", "1234:5678", "ch341");   // an adapter whose tty went
    sysfs.addUsbDevice("1-1.4", "046d:c31c", "usbhid");  // a keyboard
    const SerialSystem system = readSerialSystem(sysfs.root());

    EXPECT_EQ(system.devices, (std::vector<SerialDevice>{
                                  {"ttyACM0", "cdc_acm", false, "2-1:1.0"},
                                  {"ttyS0", "serial8250", true, ""},
                                  {"ttyS1", "serial8250", false, ""},
                                  {"ttyUSB0", "ch341", false, "1-1.2:1.0"},
                              }));
    EXPECT_EQ(system.adaptersWithoutTty, (std::vector<AdapterWithoutTty>{
                                             {"1-1.3", "1a86:7523", "usbfs"},
                                             {"1-1.5", "1234:5678", "ch341"},
                                         }));
    EXPECT_TRUE(readSerialSystem(sysfs.root() + "/missing").devices.empty());
}

}  // namespace
}  // namespace morvale
