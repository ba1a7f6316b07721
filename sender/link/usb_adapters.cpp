#include "usb_adapters.h"

#include <array>

namespace morvale {
namespace {

struct Named {
    std::string_view key;
    std::string_view chip;
};

constexpr std::array<Named, 5> kDrivers{{
    {"ch341", "CH340"},
    {"ftdi_sio", "FTDI"},
    {"pl2303", "PL2303"},
    {"cp210x", "CP210x"},
    {"cdc_acm", "CDC-ACM"},
}};

constexpr std::array<Named, 9> kUsbIds{{
    {"1a86:7523", "CH340"},
    {"1a86:5523", "CH341"},
    {"1a86:55d4", "CH9102"},
    {"0403:6001", "FTDI"},
    {"0403:6010", "FTDI"},
    {"0403:6015", "FTDI"},
    {"067b:2303", "PL2303"},
    {"10c4:ea60", "CP210x"},
    {"10c4:ea70", "CP210x"},
}};

std::string_view lookUp(std::string_view key, const auto& table) {
    for (const Named& entry : table) {
        if (entry.key == key) {
            return entry.chip;
        }
    }
    return {};
}

}  // namespace

bool isAdapterDriver(std::string_view driver) {
    return !lookUp(driver, kDrivers).empty();
}

std::string chipOfDriver(std::string_view driver) {
    const std::string_view chip = lookUp(driver, kDrivers);
    return std::string(chip.empty() ? driver : chip);
}

std::string chipOfUsbId(std::string_view id) {
    return std::string(lookUp(id, kUsbIds));
}

}  // namespace morvale
