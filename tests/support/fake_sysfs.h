// A sysfs tree in a temporary folder, laid out as the kernel lays out its
// serial devices: class/tty/NAME links to the tty's folder under devices/,
// whose "device" link leads to the port or USB interface with its driver;
// bus/usb/devices holds links to the USB devices and their interfaces.
#pragma once

#include <string>

#include "scratch_dir.h"

namespace morvale::testing {

class FakeSysfs {
  public:
    const std::string& root() const { return dir_.path(); }

    // A serial core tty of the serial8250 driver with the UART type given;
    // type 0 is a node with no UART behind it.
    void addSerialPort(const std::string& tty, int type = 4);
    // An adapter's tty (ttyUSB*, or ttyACM* of cdc_acm) on the USB device at
    // usbPath ("1-1.2"), its interface bound to driver.
    void addAdapter(const std::string& tty, const std::string& driver, const std::string& usbPath,
                    const std::string& usbId = "1a86:7523");
    // A USB device without a tty, its interface bound to driver (empty: none).
    void addUsbDevice(const std::string& usbPath, const std::string& usbId,
                      const std::string& driver);

  private:
    // The USB device's interface folder, made with its links.
    std::string usbInterface(const std::string& usbPath, const std::string& usbId,
                             const std::string& driver);
    void link(const std::string& target, const std::string& at) const;

    ScratchDir dir_;
};

}  // namespace morvale::testing
