#include "port_description.h"

#include "usb_adapters.h"

namespace morvale {

std::string portDescription(const PortDevice& port) {
    constexpr const char* kDash = " \x96 ";
    if (port.path.empty()) {
        return "kein Ger\xE4t";
    }
    if (port.fromEnvironment) {
        return port.path + kDash + "aus " + port.environment;
    }
    const SerialDevice* device = mappedDevice(port);
    if (device == nullptr) {
        return port.path;
    }
    if (isUsbAdapter(*device)) {
        const std::string chip = chipOfDriver(device->driver);
        return port.path + kDash + (chip.empty() ? "USB-Adapter" : chip + " (USB)");
    }
    return port.path + kDash + "eingebaute Schnittstelle";
}

}  // namespace morvale
