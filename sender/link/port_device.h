// Which device a port name stands for.
//
// The sender names its ports "COM1" to "COM4", as the menu shows them. On
// Linux these are the first four on-board serial ports, /dev/ttyS0 to
// /dev/ttyS3, unless the environment variable MORVALE_COM1 to MORVALE_COM4 is
// set and not empty: then it names the device for that port, which is how a
// USB serial adapter is used (MORVALE_COM2=/dev/ttyUSB0). A name that starts
// with '/' is itself the device path. Any other name stands for no device.
//
// Only the first 59 characters of a name count, and nothing after a zero byte.
#pragma once

#include <string>
#include <string_view>

namespace morvale {

struct PortDevice {
    std::string name;         // the port name as it counts (cut)
    std::string path;         // the device to open; empty when the name stands for none
    std::string environment;  // "MORVALE_COM2" for COM2; empty for a device path
};

inline constexpr std::size_t kPortNameLimit = 59;

// Maps a port name to its device, reading the environment at the call. Never
// fails; a name that stands for no device gives an empty path.
PortDevice portDevice(std::string_view portName);

}  // namespace morvale
