#include "port_device.h"

#include <cstdlib>

namespace morvale {

PortDevice portDevice(std::string_view portName) {
    std::string_view name = portName.substr(0, portName.find('\0'));
    name = name.substr(0, kPortNameLimit);

    PortDevice device{std::string(name), {}, {}};
    if (name.size() == 4 && name.substr(0, 3) == "COM" && name[3] >= '1' && name[3] <= '4') {
        device.environment = "MORVALE_" + device.name;
        const char* chosen = std::getenv(device.environment.c_str());
        if (chosen != nullptr && *chosen != '\0') {
            device.path = chosen;
        } else {
            device.path = "/dev/ttyS" + std::string(1, static_cast<char>(name[3] - 1));
        }
    } else if (!name.empty() && name.front() == '/') {
        device.path = device.name;
    }
    return device;
}

}  // namespace morvale
