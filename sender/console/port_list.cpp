#include "port_list.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "device_access.h"
#include "flow_control.h"
#include "port_device.h"
#include "port_messages.h"
#include "usb_adapters.h"

namespace morvale::console {
namespace {

struct Entry {
    std::string number;  // "COM2"; empty past the four
    std::string path;    // empty when there is no device
    std::string what;    // "CH340 USB adapter at 1-1.2"
};

std::string whatItIs(const SerialDevice& device) {
    if (!isUsbAdapter(device)) {
        return "on-board UART";
    }
    const std::string chip = chipOfDriver(device.driver);
    std::string what = (chip.empty() ? "" : chip + " ") + "USB adapter";
    if (!device.usbPath.empty()) {
        what += " at " + device.usbPath.substr(0, device.usbPath.find(':'));
    }
    return what;
}

std::string accessNote(const std::string& path) {
    switch (const int error = deviceAccess(path)) {
        case 0:
            return "you may open it";
        case EACCES:
        case EPERM:
            return "you may not open it: join the group '" + deviceGroup(path) +
                   "' and log in again";
        case ENOENT:
            return "its device node is missing";
        default:
            return std::strerror(error);
    }
}

std::string line(const Entry& entry, std::size_t pathWidth, const std::string& sysfsRoot) {
    std::string text = (entry.number.empty() ? std::string(4, ' ') : entry.number) + "  ";
    if (entry.path.empty()) {
        return text + "no device";
    }
    text += entry.path + std::string(pathWidth - entry.path.size(), ' ') + "  " + entry.what;
    const FlowChoice flow = flowChoiceForPath(entry.path, sysfsRoot);
    text += ", driver " + flow.driver + "; XOFF: " + (flow.linkKeepsFlow ? "kcsend" : "kernel");
    return text + "; " + accessNote(entry.path);
}

}  // namespace

std::string portList(const std::string& sysfsRoot) {
    std::vector<Entry> entries;
    for (int number = 1; number <= kComPortCount; ++number) {
        const PortDevice port = portDevice("COM" + std::to_string(number), sysfsRoot);
        Entry entry{port.name, port.path, {}};
        if (port.fromEnvironment) {
            entry.what = "from " + port.environment;
        } else if (const SerialDevice* device = mappedDevice(port)) {
            entry.what = whatItIs(*device);
        }
        entries.push_back(entry);
    }
    const PortMap map = mapComPorts(readSerialSystem(sysfsRoot));
    for (const SerialDevice& device : map.unnumbered) {
        entries.push_back({{}, "/dev/" + device.name, whatItIs(device)});
    }

    std::size_t pathWidth = 0;
    for (const Entry& entry : entries) {
        pathWidth = std::max(pathWidth, entry.path.size());
    }
    std::string list;
    for (const Entry& entry : entries) {
        list += line(entry, pathWidth, sysfsRoot) + "\n";
    }
    for (const AdapterWithoutTty& adapter : map.adaptersWithoutTty) {
        list += "note: " + adapterWithoutTtyMessage(adapter) + "\n";
    }
    return list;
}

}  // namespace morvale::console
