// Setting a terminal device up as the line the sender asks for.
//
// The line is set from scratch, since termios settings outlive a close: raw,
// the requested speed, character size, parity and stop bits, receiver on,
// modem status ignored, and the handshake mode. Mode 3, the one the sender
// writes with, is XON/XOFF both ways with DC1 (0x11) and DC3 (0x13); RTS/CTS
// and the modem lines stay as the port had them, and so does HUPCL. Mode 1,
// the one it reads with, has no XON/XOFF either way, whatever the port had
// before, and RTS raised. Linux has no settable XON/XOFF limits and no driver
// buffer request, so the buffer sizes have no effect: the kernel's thresholds
// apply. An XOFF left over from an earlier user, which the kernel keeps across
// closes, is cleared, and so is input that arrived before the open.
#pragma once

#include "serial_link.h"

struct termios;

namespace morvale {

// The terminal settings that open writes to a port whose present settings
// are port. False, leaving line undefined, when Linux has no setting for the
// speed, the character size or the parity code.
[[nodiscard]] bool makeLineTermios(const ::termios& port, const LineSettings& settings,
                                   ::termios& line);

// Reads the port's settings, writes the line's, clears a stale XOFF and drops
// input left over from before. With kernelFlow false the kernel leaves XOFF to
// the link (IXON off). Returns 0, or the errno value of the
// step that failed (EINVAL for settings Linux has none for, or a speed the
// driver did not take); the port may then be partly set.
[[nodiscard]] int setUpLine(int fd, const LineSettings& settings, bool kernelFlow);

}  // namespace morvale
