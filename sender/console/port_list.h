// kcsend ports: the serial ports this machine has, as the sender sees them.
//
// COM1 to COM4 first, each with the device it stands for now, then every
// other serial device, which kcsend reaches by its path, then each USB
// adapter that is there without a tty, with the likely reason. A device
// line gives its path, what it is, its driver, who keeps the KC's XOFF on it
// (the kernel, or kcsend where the driver ignores it: flow_control.h), and
// whether this user may open it or which group to join.
#pragma once

#include <string>

namespace morvale::console {

// The listing, one line per entry, from the devices under sysfsRoot and the
// environment at the call. Never fails.
std::string portList(const std::string& sysfsRoot = "/sys");

}  // namespace morvale::console
