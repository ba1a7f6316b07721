#include "line_setup.h"

#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>

#include "file_descriptor.h"
#include "kc85.h"

namespace morvale {

namespace {

using posix_io::retryOnEintr;

bool speedCode(std::int32_t baud, speed_t& code) {
    struct Speed {
        std::int32_t baud;
        speed_t code;
    };
    static constexpr Speed kSpeeds[] = {
        {50, B50},           {75, B75},           {110, B110},         {134, B134},
        {150, B150},         {200, B200},         {300, B300},         {600, B600},
        {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
        {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
        {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
        {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
        {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
        {3500000, B3500000}, {4000000, B4000000},
    };
    for (const Speed& speed : kSpeeds) {
        if (speed.baud == baud) {
            code = speed.code;
            return true;
        }
    }
    return false;
}

}  // namespace

bool makeLineTermios(const termios& port, const LineSettings& settings, termios& line) {
    speed_t speed = B0;
    if (!speedCode(settings.baud, speed)) {
        return false;
    }
    tcflag_t size = 0;
    switch (settings.dataBits) {
        case 5:
            size = CS5;
            break;
        case 6:
            size = CS6;
            break;
        case 7:
            size = CS7;
            break;
        case 8:
            size = CS8;
            break;
        default:
            return false;
    }
    tcflag_t parity = 0;
    switch (settings.parity) {
        case 0:
            break;
        case 1:
            parity = PARENB | PARODD;
            break;
        case 2:
            parity = PARENB;
            break;
        case 3:
            parity = PARENB | PARODD | CMSPAR;
            break;  // mark: the parity bit always 1
        case 4:
            parity = PARENB | CMSPAR;
            break;  // space: always 0
        default:
            return false;
    }

    line = port;
    ::cfmakeraw(&line);
    // cfmakeraw leaves these; each would change or drop bytes.
    line.c_iflag &= ~(IUCLC | IXANY | IMAXBEL | IXON | IXOFF);
    line.c_lflag &= ~(XCASE | TOSTOP);
    // Parity errors are checked, as the port's parity flag asks; without a
    // parity bit there is nothing to check.
    line.c_iflag |= INPCK;
    ::cfsetispeed(&line, speed);
    ::cfsetospeed(&line, speed);

    line.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | HUPCL | CRTSCTS);
    line.c_cflag |= size | parity | CREAD | CLOCAL | (port.c_cflag & HUPCL);
    // Linux has no one and a half stop bits for 8-bit characters (the UART
    // gives them only with 5-bit ones), so everything but 1.0 means two.
    if (settings.stopBits != 1.0f) {
        line.c_cflag |= CSTOPB;
    }

    const tcflag_t portSoftware = port.c_iflag & (IXON | IXOFF | IXANY);
    switch (settings.handshake) {
        case 0:  // RTS itself is lowered or raised once the settings are in
            line.c_iflag |= portSoftware;
            break;
        case 1:  // the line that hears the KC: its 11h and 13h are data
            break;
        case 2:
            line.c_iflag |= portSoftware;
            line.c_cflag |= CRTSCTS;
            break;
        case 3:
            line.c_iflag |= IXON | IXOFF;
            line.c_cc[VSTART] = kc::kXon;
            line.c_cc[VSTOP] = kc::kXoff;
            line.c_cflag |= port.c_cflag & CRTSCTS;
            break;
        default:  // no handshake setting changes
            line.c_iflag |= portSoftware;
            line.c_cflag |= port.c_cflag & CRTSCTS;
            break;
    }

    // The link reads without blocking, after poll. With these a read finding
    // nothing never returns 0, blocking or not: 0 means the device hung up.
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    return true;
}

int setUpLine(int fd, const LineSettings& settings, bool kernelFlow) {
    termios port{};
    if (retryOnEintr([&] { return ::tcgetattr(fd, &port); }) != 0) {
        return errno;
    }
    termios line{};
    if (!makeLineTermios(port, settings, line)) {
        return EINVAL;
    }
    if (!kernelFlow) {
        line.c_iflag &= ~IXON;
    }
    if (retryOnEintr([&] { return ::tcsetattr(fd, TCSANOW, &line); }) != 0) {
        return errno;
    }
    // tcsetattr succeeds when the driver took any part of the settings; one
    // that cannot run at the speed quietly keeps another.
    termios taken{};
    if (retryOnEintr([&] { return ::tcgetattr(fd, &taken); }) != 0) {
        return errno;
    }
    if (::cfgetospeed(&taken) != ::cfgetospeed(&line)) {
        return EINVAL;
    }
    if (settings.handshake == 0 || settings.handshake == 1) {
        int rts = TIOCM_RTS;
        // A device without modem lines (a pseudo-terminal) refuses this; the
        // line works without it.
        ::ioctl(fd, settings.handshake == 0 ? TIOCMBIC : TIOCMBIS, &rts);
    }
    // The kernel keeps an XOFF received during an earlier use of the port
    // across closes. Restarting output alone does not clear it; stopping it
    // first does.
    if (retryOnEintr([&] { return ::tcflow(fd, TCOOFF); }) != 0 ||
        retryOnEintr([&] { return ::tcflow(fd, TCOON); }) != 0) {
        return errno;
    }
    // What the KC sent before, a DC3 the link would follow among it, counts
    // only for the use it was sent to.
    if (retryOnEintr([&] { return ::tcflush(fd, TCIFLUSH); }) != 0) {
        return errno;
    }
    return 0;
}

}  // namespace morvale
