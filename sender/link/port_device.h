// Which device a port name stands for.
//
// The sender names its ports "COM1" to "COM4", as the menu shows them. Each
// stands for the device that has that number among the serial devices
// present at the call (com_numbers.h): an on-board UART keeps its number,
// USB adapters take the free ones, COM2 first. The environment variable
// MORVALE_COM1 to MORVALE_COM4, when set and not empty, names the device for
// its port instead, for whoever wants a fixed one. A name that starts with
// '/' is itself the device path. Any other name stands for no device.
//
// Only the first 59 characters of a name count, and nothing after a zero byte.
#pragma once

#include <string>
#include <string_view>

#include "com_numbers.h"

namespace morvale {

struct PortDevice {
    std::string name;              // the port name as it counts (cut)
    std::string path;              // the device to open; empty when the name stands for none
    std::string environment;       // "MORVALE_COM2" for COM2; empty for any other name
    bool fromEnvironment = false;  // path is the variable's
    int number = 0;                // 1 to 4 for COM1 to COM4, 0 for any other name
    PortMap ports;  // what a COM name was chosen from; empty when the variable set it
};

inline constexpr std::size_t kPortNameLimit = 59;

// Maps a port name to its device, reading the environment and the serial
// devices under sysfsRoot at the call. Never fails; a name that stands for no
// device gives an empty path.
PortDevice portDevice(std::string_view portName, const std::string& sysfsRoot = "/sys");

// The device a COM number was given, when the devices present chose it.
const SerialDevice* mappedDevice(const PortDevice& port);

}  // namespace morvale
