// Who honours an XOFF from the KC: the kernel or the link itself.
//
// With IXON the kernel stops the output when DC3 (0x13) arrives. That works
// where the driver or its chip acts on it: UARTs of the serial core (ttyS*,
// serial8250 and its kin), pseudo-terminals, and the USB adapters whose driver
// hands XON/XOFF to the chip (ftdi_sio, cp210x, pl2303). Other drivers
// (ch341 on the common CH340 adapters, cdc_acm, anything unknown) ignore it:
// the tty layer swallows the XOFF and the data keeps flowing into a KC that
// cannot take it. There the link keeps the flow itself: IXON off, and the KC's
// DC3 and DC1 are read as data. The link's own way must not replace the
// kernel's where that works, since IXON off also tells an FTDI chip to stop
// obeying XOFF within a character.
//
// The driver is found in sysfs: ROOT/class/tty/NAME/device/driver links to
// the driver's folder. MORVALE_FLOW=kernel or MORVALE_FLOW=link overrides the
// choice for an adapter this list gets wrong.
#pragma once

#include <string>
#include <string_view>

namespace morvale {

struct FlowChoice {
    bool linkKeepsFlow = false;  // false: the kernel's IXON does
    std::string driver;          // "ch341", "pseudo-terminal"; "unknown" when sysfs names none
};

// The choice for the tty named ttyName ("ttyUSB0") from the sysfs tree at
// sysfsRoot, without the override. Never fails: a tty sysfs does not know is
// left to the link.
FlowChoice flowChoiceForTty(std::string_view ttyName, const std::string& sysfsRoot = "/sys");

// The choice for the terminal device open as fd under path, the override in
// MORVALE_FLOW read at the call (other values are ignored). Never fails.
FlowChoice chooseFlowControl(int fd, const std::string& path,
                             const std::string& sysfsRoot = "/sys");
// The same choice for the device at path, without opening it. Never fails.
FlowChoice flowChoiceForPath(const std::string& path, const std::string& sysfsRoot = "/sys");

}  // namespace morvale
