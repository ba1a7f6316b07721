#include "list_output.h"

namespace kc {

ListOutput readListOutput(std::span<const std::uint8_t> bytes) {
    ListOutput output;
    std::string line;
    bool opened = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t byte = bytes[i];
        if (byte == kEndOfListing) {
            output.ended = true;
            break;
        }
        if (byte == 0 || byte == '\n') {
            continue;
        }
        if (byte != '\r') {
            line += static_cast<char>(byte);
            continue;
        }
        if (opened || !line.empty()) {
            output.lines.push_back(line);
        }
        opened = true;
        line.clear();
    }
    return output;
}

}  // namespace kc
