#include "port_device.h"

#include <cstdlib>

namespace morvale {

PortDevice portDevice(std::string_view portName, const std::string& sysfsRoot) {
    std::string_view name = portName.substr(0, portName.find('\0'));
    name = name.substr(0, kPortNameLimit);

    PortDevice port{std::string(name), {}, {}, false, 0, {}};
    if (name.size() == 4 && name.substr(0, 3) == "COM" && name[3] >= '1' &&
        name[3] < '1' + kComPortCount) {
        port.number = name[3] - '0';
        port.environment = "MORVALE_" + port.name;
        const char* chosen = std::getenv(port.environment.c_str());
        if (chosen != nullptr && *chosen != '\0') {
            port.path = chosen;
            port.fromEnvironment = true;
        } else {
            port.ports = mapComPorts(readSerialSystem(sysfsRoot));
            if (const SerialDevice* device = mappedDevice(port)) {
                port.path = "/dev/" + device->name;
            }
        }
    } else if (!name.empty() && name.front() == '/') {
        port.path = port.name;
    }
    return port;
}

const SerialDevice* mappedDevice(const PortDevice& port) {
    if (port.number == 0 || port.fromEnvironment) {
        return nullptr;
    }
    const auto& device = port.ports.com[static_cast<std::size_t>(port.number - 1)];
    return device ? &*device : nullptr;
}

}  // namespace morvale
