// The one-line reports the serial link writes to standard error, and the
// German notices the window shows at the control when a port does not open.
//
// The reports, with what to do about it where that is clear:
//   morvale: COM2 (/dev/ttyUSB0): is in use by another program
//   morvale: COM4: no such device; the USB adapter is COM2 (/dev/ttyUSB0)
// A device path used as the port name is shown once: "morvale: /dev/pts/3: ...".
// A COM port that has no device names the ports that do exist, or the USB
// adapter that is there without a tty and why that may be.
#pragma once

#include <string>

#include "error.h"
#include "port_device.h"

namespace morvale {

// The report for an open that failed with the errno value error; for a port
// name that stands for no device, error is not looked at.
std::string openFailureMessage(const PortDevice& port, int error);
// The same failure as a value: kind PortNotOpened, the port as subject, the
// report's words after the port as detail.
kc::Error openFailureError(const PortDevice& port, int error);
// The notice for the window about the same failure, in Latin-1 (0x96 a
// dash), for example
//   COM4 gibt es nicht – der USB-Adapter ist COM2
std::string openFailureNotice(const PortDevice& port, int error);
// The report for a write or a read that failed with the errno value error,
// and the same as a value of kind DeviceLost:
//   morvale: COM2 (/dev/ttyUSB0): read failed: Input/output error
enum class Transfer { Write, Read };
std::string transferFailureMessage(const PortDevice& port, Transfer transfer, int error);
kc::Error transferFailureError(const PortDevice& port, Transfer transfer, int error);
// The note that the link, not the driver named, stops the output on XOFF.
std::string flowTakeOverMessage(const PortDevice& port, const std::string& driver);
// Why a USB adapter has no tty and what to do about it, without a prefix:
//   the USB adapter CH340 (1a86:7523) at 1-1.3 has no serial device; ...
std::string adapterWithoutTtyMessage(const AdapterWithoutTty& adapter);

}  // namespace morvale
