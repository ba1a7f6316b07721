#include "latin1_arguments.h"

#include <cstdint>
#include <span>

namespace morvale::console {

std::optional<std::string> latin1FromArgument(std::string_view argument) {
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(argument.data()), argument.size());
    std::string latin1;
    bool outsideLatin1 = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto sequence = kc::decodeUtf8(bytes.subspan(i));
        if (!sequence) {
            return std::string(argument);  // not UTF-8
        }
        outsideLatin1 = outsideLatin1 || sequence->character > 0xFF;
        latin1 += static_cast<char>(sequence->character & 0xFF);
        i += sequence->length;
    }
    if (outsideLatin1) {
        return std::nullopt;
    }
    return latin1;
}

}  // namespace morvale::console
