#include "flow_control.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <memory>

namespace morvale {
namespace {

// Drivers that act on the kernel's XON/XOFF themselves or in their chip.
constexpr std::array<std::string_view, 6> kKernelDrivers{
    "serial8250", "serial", "port", "ftdi_sio", "cp210x", "pl2303",
};

// Unix98 pseudo-terminal slaves have majors 136 to 143.
constexpr unsigned kFirstPtyMajor = 136;
constexpr unsigned kLastPtyMajor = 143;

std::string driverName(const std::string& link) {
    std::array<char, PATH_MAX> target{};
    const ssize_t n = ::readlink(link.c_str(), target.data(), target.size() - 1);
    if (n <= 0) {
        return {};
    }
    const std::string_view path(target.data(), static_cast<std::size_t>(n));
    const auto slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

FlowChoice flowChoiceForTty(std::string_view ttyName, const std::string& sysfsRoot) {
    const std::string tty = sysfsRoot + "/class/tty/" + std::string(ttyName);
    FlowChoice choice{false, driverName(tty + "/device/driver")};
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
    FlowChoice choice;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && major(info.st_rdev) >= kFirstPtyMajor &&
        major(info.st_rdev) <= kLastPtyMajor) {
        choice.driver = "pseudo-terminal";
    } else {
        const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                               &std::free);
        const std::string device = real ? std::string(real.get()) : path;
        const std::string_view name(device);
        choice = flowChoiceForTty(name.substr(name.find_last_of('/') + 1), sysfsRoot);
    }
    if (const char* override = std::getenv("MORVALE_FLOW")) {
        const std::string_view keeper(override);
        if (keeper == "kernel" || keeper == "link") {
            choice.linkKeepsFlow = keeper == "link";
        }
    }
    return choice;
}

}  // namespace morvale
