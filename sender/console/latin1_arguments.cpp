#include "latin1_arguments.h"

#include <cstdint>

namespace morvale::console {

std::optional<std::string> latin1FromArgument(std::string_view argument) {
    std::string latin1;
    bool outsideLatin1 = false;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        const auto lead = static_cast<std::uint8_t>(argument[i]);
        if (lead < 0x80) {
            latin1 += static_cast<char>(lead);
            continue;
        }
        int length = 0;
        std::uint32_t code = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
        } else {
            return std::string(argument);  // not UTF-8
        }
        if (i + length > argument.size()) {
            return std::string(argument);
        }
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(argument[i + k]);
            if ((next & 0xC0) != 0x80) {
                return std::string(argument);
            }
            code = (code << 6) | (next & 0x3F);
        }
        const std::uint32_t shortest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (code < shortest || code > 0x10FFFF) {
            return std::string(argument);
        }
        if (code > 0xFF) {
            outsideLatin1 = true;
        }
        latin1 += static_cast<char>(code & 0xFF);
        i += length - 1;
    }
    if (outsideLatin1) {
        return std::nullopt;
    }
    return latin1;
}

std::string latin1ToUtf8(std::string_view latin1) {
    std::string utf8;
    for (const char c : latin1) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

}  // namespace morvale::console
