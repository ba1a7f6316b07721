// What a port item stands for, shown at the item in the window's port menu,
// in Latin-1 with 0x96 as the dash:
//   /dev/ttyUSB0 – CH340 (USB)
//   /dev/ttyS0 – eingebaute Schnittstelle
//   /dev/pts/3 – aus MORVALE_COM2
//   kein Gerät
#pragma once

#include <string>

#include "port_device.h"

namespace morvale {

// The description of the device a port name stands for now. Never fails.
std::string portDescription(const PortDevice& port);

}  // namespace morvale
