#include "port_messages.h"

#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "utf8.h"

namespace morvale {
namespace {

std::string prefix(const PortDevice& port) {
    if (port.path.empty() || port.path == port.name) {
        return "morvale: " + port.name + ": ";
    }
    return "morvale: " + port.name + " (" + port.path + "): ";
}

// The group that may use the device, so the advice fits distributions that
// call it 'uucp'; 'dialout' when the device cannot be examined or belongs to
// root's group, which no one should be told to join.
std::string deviceGroup(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || info.st_gid == 0) {
        return "dialout";
    }
    std::vector<char> buffer(4096);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr) {
        return "dialout";
    }
    return found->gr_name;
}

std::string deviceHint(const PortDevice& port) {
    if (port.environment.empty()) {
        return {};
    }
    return "; set " + port.environment + " to the device, for example /dev/ttyUSB0";
}

// The system's reason as Latin-1: under a UTF-8 locale it may be translated.
std::string systemReason(int error) {
    const std::string reason = std::strerror(error);
    const auto latin1 =
        kc::latin1FromUtf8({reinterpret_cast<const std::uint8_t*>(reason.data()), reason.size()});
    return latin1 ? *latin1 : reason;
}

constexpr const char* kDash = " \x96 ";

}  // namespace

std::string openFailureMessage(const PortDevice& port, int error) {
    if (port.name.empty()) {
        return "morvale: no serial port given";
    }
    if (port.path.empty()) {
        return prefix(port) + "no such port; use COM1 to COM4 or a device path";
    }
    switch (error) {
        case EACCES:
        case EPERM:
            return prefix(port) + std::strerror(error) + "; add your user to the group '" +
                   deviceGroup(port.path) + "' and log in again";
        case EBUSY:
        case EWOULDBLOCK:
            return prefix(port) + "is in use by another program";
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case EIO:  // an on-board port without a UART behind it
            return prefix(port) + "no such device" + deviceHint(port);
        case ENOTTY:
            return prefix(port) + "is not a serial port" + deviceHint(port);
        case EINVAL:
            return prefix(port) + "does not take the line settings";
        default:
            return prefix(port) + std::strerror(error);
    }
}

std::string openFailureNotice(const PortDevice& port, int error) {
    if (port.name.empty()) {
        return "Keine Schnittstelle gew\xE4hlt";
    }
    if (port.path.empty()) {
        return port.name + " gibt es nicht";
    }
    switch (error) {
        case EACCES:
        case EPERM:
            return "Keine Berechtigung f\xFCr " + port.path + kDash + "Benutzer zur Gruppe " +
                   deviceGroup(port.path) + " hinzuf\xFCgen und neu anmelden";
        case EBUSY:
        case EWOULDBLOCK:
            return port.path + " wird von einem anderen Programm benutzt";
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case EIO: {
            std::string notice =
                (port.path == port.name ? port.path : port.name + " (" + port.path + ")") +
                " gibt es nicht";
            if (!port.environment.empty()) {
                notice += kDash + port.environment + " auf das Ger\xE4t setzen, z. B. /dev/ttyUSB0";
            }
            return notice;
        }
        case ENOTTY:
            return port.path + " ist keine serielle Schnittstelle";
        default:
            return port.path +
                   " l\xE4sst sich nicht \xF6"
                   "ffnen: " +
                   systemReason(error);
    }
}

std::string writeFailureMessage(const PortDevice& port, int error) {
    return prefix(port) + "write failed: " + std::strerror(error);
}

std::string flowTakeOverMessage(const PortDevice& port, const std::string& driver) {
    return prefix(port) + "the driver " + driver +
           " does not stop on XOFF; the program does (MORVALE_FLOW=kernel leaves it to the driver)";
}

}  // namespace morvale
