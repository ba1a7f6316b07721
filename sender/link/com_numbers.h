// COM1 to COM4 from the serial devices present.
//
// On Windows a USB serial adapter is a COM port and appears in the port menu;
// the sender's four port items do the same here. An on-board UART keeps its
// number: ttyS0 is COM1, ttyS1 COM2, up to ttyS3 as COM4. USB and CDC-ACM
// adapters (ttyUSB*, ttyACM*) take the numbers left free, COM2 first since it
// is the default, then COM3, COM4 and COM1, in the order of their USB paths,
// so that the same socket gives the same number after a replug whatever tty
// number the kernel hands out. A ttyS node without a UART is no port. Ports
// past the fourth, and serial core ports of other names (ttyAMA0), get no
// number; they are reached by their device path.
//
// A pure function of what sysfs shows (serial_devices.h), worked out anew at
// every open, so that an adapter plugged in after the start is found.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "serial_devices.h"

namespace morvale {

inline constexpr int kComPortCount = 4;

struct PortMap {
    std::array<std::optional<SerialDevice>, kComPortCount> com;  // COM1 first
    std::vector<SerialDevice> unnumbered;                        // ports past the four
    std::vector<AdapterWithoutTty> adaptersWithoutTty;
};

// Whether the device is a USB or CDC-ACM adapter's.
bool isUsbAdapter(const SerialDevice& device);
// Numbers the ports of system. Never fails; with no port every number is free.
PortMap mapComPorts(const SerialSystem& system);

}  // namespace morvale
