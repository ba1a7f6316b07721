#include "serial_link.h"

namespace morvale {

std::chrono::nanoseconds characterTime(const LineSettings& settings) {
    const std::int64_t bits = 1 + settings.dataBits + (settings.parity != 0 ? 1 : 0) +
                              (settings.stopBits == 1.0f ? 1 : 2);
    return std::chrono::nanoseconds(bits * 1'000'000'000 / settings.baud);
}

WriteResult SerialLink::writeText(std::string_view latin1) {
    const auto end = latin1.find('\0');
    const std::string_view text = latin1.substr(0, end);
    return writeBytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

}  // namespace morvale
