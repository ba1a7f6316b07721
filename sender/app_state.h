// The state the sender's operations share. One instance lives as long as the
// program; every start begins from these defaults.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace morvale {

struct AppState {
    std::string portName = "COM2";
    std::vector<std::uint8_t> dataBuffer = std::vector<std::uint8_t>(1024);
    std::array<std::uint8_t, 1024> headerBuffer{};
    std::int32_t loadAddress = 0x200;
    std::int32_t dataLength = 0;  // valid bytes at the start of dataBuffer
    bool sending = false;         // a text transfer runs
    bool quit = false;
};

}  // namespace morvale
