// What the user is told when a port does not open: the report on standard
// error and the German notice at the control, and what each port item
// stands for.
#include "port_messages.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "fake_sysfs.h"
#include "link_test_support.h"
#include "port_description.h"
#include "pty_peer.h"

namespace morvale {
namespace {

SerialDevice adapter(const std::string& name, const std::string& usbPath) {
    return {name, name.starts_with("ttyACM") ? "cdc_acm" : "ch341", false, usbPath + ":1.0"};
}

// COM number as portDevice gives it for these devices.
PortDevice comPort(int number, const SerialSystem& system) {
    const std::string name = "COM" + std::to_string(number);
    PortDevice port{name, {}, "MORVALE_" + name, false, number, mapComPorts(system)};
    if (const SerialDevice* device = mappedDevice(port)) {
        port.path = "/dev/" + device->name;
    }
    return port;
}

PortDevice fixedPort(const std::string& path) {
    return {"COM2", path, "MORVALE_COM2", true, 2, {}};
}

TEST(OpenFailure, SaysWhatIsWrongAndWhatToDo) {
    const SerialSystem oneAdapter{{adapter("ttyUSB0", "1-1")}, {}};
    const SerialSystem twoAdapters{{adapter("ttyUSB0", "1-1"), adapter("ttyACM0", "1-2")}, {}};
    const SerialSystem takenAdapter{{}, {{"1-1.3", "1a86:7523", "usbfs"}}};
    const PortDevice fixed = fixedPort("/dev/ttyUSB0");
    struct Case {
        PortDevice port;
        int error;
        const char* report;
        const char* notice;
    };
    const Case cases[] = {
        {comPort(4, oneAdapter), 0,
         "morvale: COM4: no such device; the USB adapter is COM2 (/dev/ttyUSB0)",
         "COM4 gibt es nicht \x96 der USB-Adapter ist COM2"},
        {comPort(1, twoAdapters), 0,
         "morvale: COM1: no such device; the USB adapters are COM2 (/dev/ttyUSB0) and COM3 "
         "(/dev/ttyACM0)",
         "COM1 gibt es nicht \x96 die USB-Adapter sind COM2 und COM3"},
        {comPort(2, {}), 0, "morvale: COM2: no such device; no USB serial adapter is plugged in",
         "COM2 gibt es nicht \x96 kein USB-Adapter angeschlossen"},
        {comPort(2, takenAdapter), 0,
         "morvale: COM2: no such device; the USB adapter CH340 (1a86:7523) at 1-1.3 has no "
         "serial device; a braille display service (brltty) may have taken it: remove the "
         "package brltty or its udev rule",
         "COM2 gibt es nicht \x96 der USB-Adapter CH340 hat kein Ger\xE4t, vielleicht hat ihn der "
         "Braille-Dienst brltty \xFC"
         "bernommen (Paket brltty entfernen)"},
        {comPort(2, oneAdapter), EIO, "morvale: COM2 (/dev/ttyUSB0): no such device",
         "COM2 (/dev/ttyUSB0) gibt es nicht"},
        {fixed, ENOENT,
         "morvale: COM2 (/dev/ttyUSB0): no such device; correct or unset MORVALE_COM2",
         "COM2 (/dev/ttyUSB0) gibt es nicht \x96 MORVALE_COM2 berichtigen oder l\xF6schen"},
        {fixed, ENOTTY,
         "morvale: COM2 (/dev/ttyUSB0): is not a serial port; correct or unset MORVALE_COM2",
         "/dev/ttyUSB0 ist keine serielle Schnittstelle"},
        {fixed, EWOULDBLOCK, "morvale: COM2 (/dev/ttyUSB0): is in use by another program",
         "/dev/ttyUSB0 wird von einem anderen Programm benutzt"},
        {fixedPort("/nonexistent/ttyUSB7"), EACCES,
         "morvale: COM2 (/nonexistent/ttyUSB7): Permission denied; add your user to the group "
         "'dialout' and log in again",
         "Keine Berechtigung f\xFCr /nonexistent/ttyUSB7 \x96 Benutzer zur Gruppe dialout "
         "hinzuf\xFCgen und neu anmelden"},
        {fixed, ENOSPC, "morvale: COM2 (/dev/ttyUSB0): No space left on device",
         "/dev/ttyUSB0 l\xE4sst sich nicht \xF6"
         "ffnen: No space left on device"},
        {portDevice("/dev/pts/9"), ENOENT, "morvale: /dev/pts/9: no such device",
         "/dev/pts/9 gibt es nicht"},
        {portDevice("LPT1"), 0, "morvale: LPT1: no such port; use COM1 to COM4 or a device path",
         "LPT1 gibt es nicht"},
        {portDevice(""), 0, "morvale: no serial port given", "Keine Schnittstelle gew\xE4hlt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(openFailureMessage(c.port, c.error), c.report);
        EXPECT_EQ(openFailureNotice(c.port, c.error), c.notice);
    }
    EXPECT_EQ(transferFailureMessage(fixed, Transfer::Write, EIO),
              "morvale: COM2 (/dev/ttyUSB0): write failed: Input/output error");
}

TEST(PortDescription, NamesTheDeviceAndWhatItIs) {
    const SerialSystem system{{{"ttyS0", "serial8250", true, ""},
                               adapter("ttyUSB0", "1-1"),
                               {"ttyACM0", "", false, "1-2:1.0"}},
                              {}};
    EXPECT_EQ(portDescription(comPort(1, system)), "/dev/ttyS0 \x96 eingebaute Schnittstelle");
    EXPECT_EQ(portDescription(comPort(2, system)), "/dev/ttyUSB0 \x96 CH340 (USB)");
    EXPECT_EQ(portDescription(comPort(3, system)), "/dev/ttyACM0 \x96 USB-Adapter")
        << "no driver holds it";
    EXPECT_EQ(portDescription(comPort(4, system)), "kein Ger\xE4t");
    EXPECT_EQ(portDescription(fixedPort("/dev/pts/3")), "/dev/pts/3 \x96 aus MORVALE_COM2");
}

TEST(OpenFailure, LinkKeepsItUntilAnOpenSucceedsAndLooksUpItsOwnSysfs) {
    testing::FakeSysfs sysfs;
    sysfs.addAdapter("ttyUSB0", "ch341", "1-1.2");
    std::vector<std::string> diagnostics;
    TermiosSerialLink link{[&](std::string_view line) { diagnostics.emplace_back(line); },
                           sysfs.root()};
    EXPECT_FALSE(link.open("/dev/null", LineSettings{}));
    EXPECT_EQ(link.openFailure(), "/dev/null ist keine serielle Schnittstelle");
    EXPECT_FALSE(link.open("COM4", LineSettings{}));
    EXPECT_EQ(link.openFailure(), "COM4 gibt es nicht \x96 der USB-Adapter ist COM2");
    EXPECT_EQ(diagnostics.back(),
              "morvale: COM4: no such device; the USB adapter is COM2 (/dev/ttyUSB0)");
    const testing::PtyPeer peer;
    EXPECT_TRUE(link.open(peer.devicePath(), LineSettings{}));
    EXPECT_EQ(link.openFailure(), "");
}

}  // namespace
}  // namespace morvale
