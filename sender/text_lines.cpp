#include "text_lines.h"

namespace morvale {

std::string editorTextFromFile(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 8);
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t start = i;
        while (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n' && bytes[i] != 0) {
            ++i;
        }
        text.append(reinterpret_cast<const char*>(bytes.data() + start), i - start);
        text += "\r\n";
        if (i < bytes.size()) {
            const bool crLf = bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
            i += crLf ? 2 : 1;
        }
    }
    return text;
}

}  // namespace morvale
