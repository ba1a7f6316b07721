#include "port_messages.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "device_access.h"
#include "usb_adapters.h"
#include "utf8.h"

namespace morvale {
namespace {

// The port as the reports name it: a device path used as the name once.
std::string subjectOf(const PortDevice& port) {
    if (port.path.empty() || port.path == port.name) {
        return port.name;
    }
    return port.name + " (" + port.path + ")";
}

std::string prefix(const PortDevice& port) {
    return "morvale: " + subjectOf(port) + ": ";
}

std::string variableHint(const PortDevice& port) {
    return port.fromEnvironment ? "; correct or unset " + port.environment : std::string();
}

// The system's reason as Latin-1: under a UTF-8 locale it may be translated.
std::string systemReason(int error) {
    const std::string reason = std::strerror(error);
    const auto latin1 =
        kc::latin1FromUtf8({reinterpret_cast<const std::uint8_t*>(reason.data()), reason.size()});
    return latin1 ? *latin1 : reason;
}

// " CH340", or nothing when neither the id nor the driver tells the chip.
std::string adapterChip(const AdapterWithoutTty& adapter) {
    std::string chip = chipOfUsbId(adapter.usbId);
    if (chip.empty() && isAdapterDriver(adapter.boundTo)) {
        chip = chipOfDriver(adapter.boundTo);
    }
    return chip.empty() ? chip : " " + chip;
}

// "COM2", "COM2 and COM3", "COM1, COM2 and COM3"; with their devices in
// brackets when withPaths.
std::string listOfPorts(const std::vector<int>& numbers, const PortMap& ports, bool withPaths,
                        const char* lastJoin) {
    std::string list;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) {
            list += i + 1 == numbers.size() ? lastJoin : ", ";
        }
        list += "COM" + std::to_string(numbers[i]);
        if (withPaths) {
            list += " (/dev/" + ports.com[static_cast<std::size_t>(numbers[i] - 1)]->name + ")";
        }
    }
    return list;
}

std::vector<int> adapterNumbers(const PortMap& ports) {
    std::vector<int> numbers;
    for (int number = 1; number <= kComPortCount; ++number) {
        const auto& device = ports.com[static_cast<std::size_t>(number - 1)];
        if (device && isUsbAdapter(*device)) {
            numbers.push_back(number);
        }
    }
    return numbers;
}

// Where the user's adapter is, for a COM port that has no device.
std::string whereTheAdapterIs(const PortDevice& port) {
    if (!port.ports.adaptersWithoutTty.empty()) {
        return adapterWithoutTtyMessage(port.ports.adaptersWithoutTty.front());
    }
    const std::vector<int> numbers = adapterNumbers(port.ports);
    if (numbers.empty()) {
        return "no USB serial adapter is plugged in";
    }
    return (numbers.size() == 1 ? "the USB adapter is " : "the USB adapters are ") +
           listOfPorts(numbers, port.ports, true, " and ");
}

std::string whereTheAdapterIsNotice(const PortDevice& port) {
    if (!port.ports.adaptersWithoutTty.empty()) {
        return "der USB-Adapter" + adapterChip(port.ports.adaptersWithoutTty.front()) +
               " hat kein Ger\xE4t, vielleicht hat ihn der Braille-Dienst brltty \xFC"
               "bernommen (Paket brltty entfernen)";
    }
    const std::vector<int> numbers = adapterNumbers(port.ports);
    if (numbers.empty()) {
        return "kein USB-Adapter angeschlossen";
    }
    return (numbers.size() == 1 ? "der USB-Adapter ist " : "die USB-Adapter sind ") +
           listOfPorts(numbers, port.ports, false, " und ");
}

constexpr const char* kDash = " \x96 ";

// Why an open failed, after the port's name.
std::string openFailureDetail(const PortDevice& port, int error) {
    if (port.name.empty()) {
        return "no serial port given";
    }
    if (port.path.empty()) {
        if (port.number != 0) {
            return "no such device; " + whereTheAdapterIs(port);
        }
        return "no such port; use COM1 to COM4 or a device path";
    }
    switch (error) {
        case EACCES:
        case EPERM:
            return std::string(std::strerror(error)) + "; add your user to the group '" +
                   deviceGroup(port.path) + "' and log in again";
        case EBUSY:
        case EWOULDBLOCK:
            return "is in use by another program";
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case EIO:  // an on-board port without a UART behind it
            return "no such device" + variableHint(port);
        case ENOTTY:
            return "is not a serial port" + variableHint(port);
        case EINVAL:
            return "does not take the line settings";
        default:
            return std::strerror(error);
    }
}

}  // namespace

kc::Error openFailureError(const PortDevice& port, int error) {
    return {kc::ErrorKind::PortNotOpened, error, port.name.empty() ? "" : subjectOf(port),
            openFailureDetail(port, error)};
}

std::string openFailureMessage(const PortDevice& port, int error) {
    return "morvale: " + openFailureError(port, error).describe();
}

std::string openFailureNotice(const PortDevice& port, int error) {
    if (port.name.empty()) {
        return "Keine Schnittstelle gew\xE4hlt";
    }
    if (port.path.empty()) {
        if (port.number != 0) {
            return port.name + " gibt es nicht" + kDash + whereTheAdapterIsNotice(port);
        }
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
            if (port.fromEnvironment) {
                notice += kDash + port.environment + " berichtigen oder l\xF6schen";
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

kc::Error transferFailureError(const PortDevice& port, Transfer transfer, int error) {
    return {kc::ErrorKind::DeviceLost, error, subjectOf(port),
            std::string(transfer == Transfer::Write ? "write" : "read") +
                " failed: " + std::strerror(error)};
}

std::string transferFailureMessage(const PortDevice& port, Transfer transfer, int error) {
    return "morvale: " + transferFailureError(port, transfer, error).describe();
}

std::string flowTakeOverMessage(const PortDevice& port, const std::string& driver) {
    return prefix(port) + "the driver " + driver +
           " does not stop on XOFF; the program does (MORVALE_FLOW=kernel leaves it to the driver)";
}

std::string adapterWithoutTtyMessage(const AdapterWithoutTty& adapter) {
    return "the USB adapter" + adapterChip(adapter) + " (" + adapter.usbId + ") at " +
           adapter.usbPath +
           " has no serial device; a braille display service (brltty) may have taken it: "
           "remove the package brltty or its udev rule";
}

}  // namespace morvale
