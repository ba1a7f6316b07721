#include "serial_devices.h"

#include <string_view>

#include "sysfs_reading.h"
#include "usb_adapters.h"

namespace morvale {
namespace {

bool isAdapterTty(std::string_view name) {
    return name.starts_with("ttyUSB") || name.starts_with("ttyACM");
}

// The USB interface in a resolved device path: the last of its folders named
// like "1-1.2:1.0".
std::string usbInterfaceIn(std::string_view path) {
    std::string_view found;
    while (!path.empty()) {
        const auto slash = path.find('/');
        const std::string_view folder = path.substr(0, slash);
        if (!folder.empty() && folder.front() >= '0' && folder.front() <= '9' &&
            folder.find('-') != std::string_view::npos &&
            folder.find(':') != std::string_view::npos) {
            found = folder;
        }
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    }
    return std::string(found);
}

std::vector<SerialDevice> readTtys(const std::string& sysfsRoot) {
    std::vector<SerialDevice> devices;
    const std::string ttys = sysfsRoot + "/class/tty/";
    for (const std::string& name : folderEntries(ttys)) {
        const std::string tty = ttys + name;
        const bool adapter = isAdapterTty(name);
        const std::string type = attributeText(tty + "/type");
        if (!adapter && type.empty()) {
            continue;
        }
        devices.push_back({name, linkedName(tty + "/device/driver"), !type.empty() && type != "0",
                           adapter ? usbInterfaceIn(resolvedPath(tty + "/device")) : ""});
    }
    return devices;
}

// A tty of a USB serial driver is a folder ttyUSB* in its interface; one of
// cdc_acm lies in the interface's folder "tty".
bool hasTty(const std::string& interface) {
    for (const std::string& entry : folderEntries(interface)) {
        if (entry == "tty" || isAdapterTty(entry)) {
            return true;
        }
    }
    return false;
}

std::vector<AdapterWithoutTty> readAdaptersWithoutTty(const std::string& sysfsRoot) {
    std::vector<AdapterWithoutTty> adapters;
    const std::string usb = sysfsRoot + "/bus/usb/devices/";
    const std::vector<std::string> entries = folderEntries(usb);
    for (const std::string& device : entries) {
        if (device.find(':') != std::string::npos || device.starts_with("usb")) {
            continue;  // an interface, or a root hub
        }
        const std::string id = attributeText(usb + device + "/idVendor") + ":" +
                               attributeText(usb + device + "/idProduct");
        bool adapter = !chipOfUsbId(id).empty();
        bool tty = false;
        std::string boundTo;
        for (const std::string& interface : entries) {
            if (!interface.starts_with(device + ":")) {
                continue;
            }
            const std::string driver = linkedName(usb + interface + "/driver");
            adapter = adapter || isAdapterDriver(driver);
            tty = tty || hasTty(usb + interface);
            if (boundTo.empty()) {
                boundTo = driver;
            }
        }
        if (adapter && !tty) {
            adapters.push_back({device, id, boundTo});
        }
    }
    return adapters;
}

}  // namespace

SerialSystem readSerialSystem(const std::string& sysfsRoot) {
    return {readTtys(sysfsRoot), readAdaptersWithoutTty(sysfsRoot)};
}

}  // namespace morvale
