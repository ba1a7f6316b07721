// The serial devices this machine has, as sysfs shows them.
//
// A tty is a serial device when its name says it is a USB adapter's
// (ttyUSB*: a USB serial driver; ttyACM*: a CDC-ACM board) or when it belongs
// to the serial core, which gives its ttys a "type" attribute: the UART type,
// 0 when no UART answered at that port. Linux makes ttyS0 to ttyS31 on most
// PCs whether or not a UART is there, so the type is what tells a port from
// an empty node. Consoles, virtual terminals and pseudo-terminals are none.
//
// An adapter's USB path (bus, hub ports, configuration and interface,
// "1-1.2:1.0") is read from where its device link leads; it names the
// socket it is plugged into, whatever tty number the kernel gave it.
//
// A USB adapter can also be present without a tty: a program took its
// interface from the driver (the braille display service brltty does that
// to CH340 adapters on many desktops) or no driver is loaded. Such an
// adapter is one whose interface is bound to a USB serial driver, or whose
// USB id is a known adapter chip's, and none of whose interfaces has a tty.
//
// Everything is read under a sysfs root, "/sys" or a tree a test made.
#pragma once

#include <string>
#include <vector>

namespace morvale {

struct SerialDevice {
    std::string name;     // "ttyUSB0"; the device is /dev/NAME
    std::string driver;   // "ch341", "serial8250", "cdc_acm"; empty when sysfs names none
    bool uart = false;    // a serial core port with a UART behind it
    std::string usbPath;  // "1-1.2:1.0" for an adapter; empty for other devices
    friend bool operator==(const SerialDevice&, const SerialDevice&) = default;
};

// A USB serial adapter that has no tty.
struct AdapterWithoutTty {
    std::string usbPath;  // the USB device, "1-1.3"
    std::string usbId;    // "1a86:7523"
    std::string boundTo;  // the driver holding its first interface, "usbfs"; empty for none
    friend bool operator==(const AdapterWithoutTty&, const AdapterWithoutTty&) = default;
};

struct SerialSystem {
    std::vector<SerialDevice> devices;  // by name
    std::vector<AdapterWithoutTty> adaptersWithoutTty;
};

// Reads the serial devices under sysfsRoot. Never fails: what cannot be
// read is not there.
SerialSystem readSerialSystem(const std::string& sysfsRoot = "/sys");

}  // namespace morvale
