#include "flow_control.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <array>
#include <cstdlib>

#include "sysfs_reading.h"

namespace morvale {
namespace {

// Drivers that act on the kernel's XON/XOFF themselves or in their chip.
constexpr std::array<std::string_view, 6> kKernelDrivers{
    "serial8250", "serial", "port", "ftdi_sio", "cp210x", "pl2303",
};

// Unix98 pseudo-terminal slaves have majors 136 to 143.
constexpr unsigned kFirstPtyMajor = 136;
constexpr unsigned kLastPtyMajor = 143;

bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// The choice for the device at path, with its status when it could be had.
FlowChoice chooseFor(const struct stat* info, const std::string& path,
                     const std::string& sysfsRoot) {
    FlowChoice choice;
    if (info != nullptr && major(info->st_rdev) >= kFirstPtyMajor &&
        major(info->st_rdev) <= kLastPtyMajor) {
        choice.driver = "pseudo-terminal";
    } else {
        const std::string real = resolvedPath(path);
        const std::string_view device = real.empty() ? std::string_view(path) : real;
        choice = flowChoiceForTty(device.substr(device.find_last_of('/') + 1), sysfsRoot);
    }
    if (const char* override = std::getenv("MORVALE_FLOW")) {
        const std::string_view keeper(override);
        if (keeper == "kernel" || keeper == "link") {
            choice.linkKeepsFlow = keeper == "link";
        }
    }
    return choice;
}

}  // namespace

FlowChoice flowChoiceForTty(std::string_view ttyName, const std::string& sysfsRoot) {
    const std::string tty = sysfsRoot + "/class/tty/" + std::string(ttyName);
    FlowChoice choice{false, linkedName(tty + "/device/driver")};
    // The serial core gives each of its ports a uartclk attribute, whatever
    // the platform driver is called.
    if (ttyName.starts_with("ttyS") || exists(tty + "/uartclk")) {
        if (choice.driver.empty()) {
            choice.driver = "serial";
        }
        return choice;
    }
    for (const std::string_view kernel : kKernelDrivers) {
        if (choice.driver == kernel) {
            return choice;
        }
    }
    if (choice.driver.empty()) {
        choice.driver = "unknown";
    }
    choice.linkKeepsFlow = true;
    return choice;
}

FlowChoice chooseFlowControl(int fd, const std::string& path, const std::string& sysfsRoot) {
    struct stat info {};
    return chooseFor(::fstat(fd, &info) == 0 ? &info : nullptr, path, sysfsRoot);
}

FlowChoice flowChoiceForPath(const std::string& path, const std::string& sysfsRoot) {
    struct stat info {};
    return chooseFor(::stat(path.c_str(), &info) == 0 ? &info : nullptr, path, sysfsRoot);
}

}  // namespace morvale
