#include "fake_sysfs.h"

#include <filesystem>
#include <fstream>

namespace morvale::testing {

namespace fs = std::filesystem;

void FakeSysfs::link(const std::string& target, const std::string& at) const {
    fs::create_directories(fs::path(dir_ / at).parent_path());
    fs::create_directory_symlink(dir_ / target, dir_ / at);
}

void FakeSysfs::addSerialPort(const std::string& tty, int type) {
    const std::string port = "devices/platform/serial8250";
    fs::create_directories(dir_ / (port + "/tty/" + tty));
    std::ofstream(dir_ / (port + "/tty/" + tty + "/type")) << type << '\n';
    std::ofstream(dir_ / (port + "/tty/" + tty + "/uartclk")) << "1843200\n";
    if (!fs::is_symlink(dir_ / (port + "/driver"))) {
        link("bus/platform/drivers/serial8250", port + "/driver");
    }
    link(port, port + "/tty/" + tty + "/device");
    link(port + "/tty/" + tty, "class/tty/" + tty);
}

std::string FakeSysfs::usbInterface(const std::string& usbPath, const std::string& usbId,
                                    const std::string& driver) {
    const std::string device = "devices/pci0000:00/usb1/" + usbPath;
    const std::string interface = device + "/" + usbPath + ":1.0";
    fs::create_directories(dir_ / interface);
    std::ofstream(dir_ / (device + "/idVendor")) << usbId.substr(0, 4) << '\n';
    std::ofstream(dir_ / (device + "/idProduct")) << usbId.substr(5) << '\n';
    if (!driver.empty()) {
        link("bus/usb/drivers/" + driver, interface + "/driver");
    }
    link(device, "bus/usb/devices/" + usbPath);
    link(interface, "bus/usb/devices/" + usbPath + ":1.0");
    return interface;
}

void FakeSysfs::addAdapter(const std::string& tty, const std::string& driver,
                           const std::string& usbPath, const std::string& usbId) {
    const std::string interface = usbInterface(usbPath, usbId, driver);
    // A USB serial driver's tty hangs off a port device of its own; cdc_acm's
    // off the interface.
    std::string port = interface;
    if (tty.starts_with("ttyUSB")) {
        port = interface + "/" + tty;
        link("bus/usb-serial/drivers/" + driver, port + "/driver");
    }
    fs::create_directories(dir_ / (port + "/tty/" + tty));
    link(port, port + "/tty/" + tty + "/device");
    link(port + "/tty/" + tty, "class/tty/" + tty);
}

void FakeSysfs::addUsbDevice(const std::string& usbPath, const std::string& usbId,
                             const std::string& driver) {
    usbInterface(usbPath, usbId, driver);
}

}  // namespace morvale::testing
