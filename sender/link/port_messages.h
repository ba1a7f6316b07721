// The one-line reports the serial link writes to standard error, and the
// German notices the window shows at the control when a port does not open.
//
// The reports, with what to do about it where that is clear:
//   morvale: COM2 (/dev/ttyS1): is in use by another program
//   morvale: COM2 (/dev/ttyS1): no such device; set MORVALE_COM2 to the device, for example
//       /dev/ttyUSB0
// A device path used as the port name is shown once: "morvale: /dev/pts/3: ...".
#pragma once

#include <string>

#include "port_device.h"

namespace morvale {

// The report for an open that failed with the errno value error; for a port
// name that stands for no device, error is not looked at.
std::string openFailureMessage(const PortDevice& port, int error);
// The notice for the window about the same failure, in Latin-1 (0x96 a
// dash), for example
//   COM2 (/dev/ttyS1) gibt es nicht – MORVALE_COM2 auf das Gerät setzen, z. B. /dev/ttyUSB0
std::string openFailureNotice(const PortDevice& port, int error);
// The report for a write that failed with the errno value error.
std::string writeFailureMessage(const PortDevice& port, int error);
// The note that the link, not the driver named, stops the output on XOFF.
std::string flowTakeOverMessage(const PortDevice& port, const std::string& driver);

}  // namespace morvale
