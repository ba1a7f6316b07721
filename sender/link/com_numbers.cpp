#include "com_numbers.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace morvale {
namespace {

// The free numbers in the order adapters take them: the default COM2 first.
constexpr std::array<int, kComPortCount> kAdapterOrder{2, 3, 4, 1};

// The numbers in a name or path, for an order in which ttyUSB10 follows
// ttyUSB9 and hub port 1-1.10 follows 1-1.9.
std::vector<std::uint64_t> numbersIn(std::string_view text) {
    std::vector<std::uint64_t> numbers;
    bool inNumber = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            if (!inNumber) {
                numbers.push_back(0);
            }
            numbers.back() = numbers.back() * 10 + static_cast<std::uint64_t>(c - '0');
        }
        inNumber = c >= '0' && c <= '9';
    }
    return numbers;
}

// Adapters with a USB path by that path, the others after them by name.
bool socketOrder(const SerialDevice& a, const SerialDevice& b) {
    if (a.usbPath.empty() != b.usbPath.empty()) {
        return !a.usbPath.empty();
    }
    const auto pathA = numbersIn(a.usbPath);
    const auto pathB = numbersIn(b.usbPath);
    if (pathA != pathB) {
        return pathA < pathB;
    }
    return numbersIn(a.name) < numbersIn(b.name);
}

// The COM number an on-board UART keeps; 0 for one past ttyS3 or of
// another name.
int onBoardNumber(const SerialDevice& device) {
    if (!device.name.starts_with("ttyS")) {
        return 0;
    }
    const std::string_view digits = std::string_view(device.name).substr(4);
    if (digits.size() != 1 || digits[0] < '0' || digits[0] >= '0' + kComPortCount) {
        return 0;
    }
    return digits[0] - '0' + 1;
}

}  // namespace

bool isUsbAdapter(const SerialDevice& device) {
    return device.name.starts_with("ttyUSB") || device.name.starts_with("ttyACM");
}

PortMap mapComPorts(const SerialSystem& system) {
    PortMap map;
    map.adaptersWithoutTty = system.adaptersWithoutTty;
    std::vector<SerialDevice> adapters;
    std::vector<SerialDevice> onBoard;
    for (const SerialDevice& device : system.devices) {
        if (isUsbAdapter(device)) {
            adapters.push_back(device);
        } else if (device.uart) {
            onBoard.push_back(device);
        }
    }
    std::sort(onBoard.begin(), onBoard.end(), [](const SerialDevice& a, const SerialDevice& b) {
        return numbersIn(a.name) < numbersIn(b.name) ||
               (numbersIn(a.name) == numbersIn(b.name) && a.name < b.name);
    });
    for (const SerialDevice& device : onBoard) {
        if (const int number = onBoardNumber(device); number != 0) {
            map.com[number - 1] = device;
        } else {
            map.unnumbered.push_back(device);
        }
    }
    std::sort(adapters.begin(), adapters.end(), socketOrder);
    auto next = kAdapterOrder.begin();
    for (const SerialDevice& adapter : adapters) {
        next = std::find_if(next, kAdapterOrder.end(),
                            [&](int number) { return !map.com[number - 1]; });
        if (next == kAdapterOrder.end()) {
            map.unnumbered.push_back(adapter);
        } else {
            map.com[*next - 1] = adapter;
        }
    }
    return map;
}

}  // namespace morvale
