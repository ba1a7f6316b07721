#include "serial_link.h"

namespace morvale {

WriteResult SerialLink::writeText(std::string_view latin1) {
    const auto end = latin1.find('\0');
    const std::string_view text = latin1.substr(0, end);
    return writeBytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

}  // namespace morvale
