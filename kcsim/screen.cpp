#include "screen.h"

#include <string_view>

#include "kc85.h"
#include "utf8.h"

namespace kcsim {

namespace {

bool isControl(std::uint8_t byte) {
    return byte < 0x20 || (byte >= 0x7F && byte < 0xA0);
}

void appendHex(std::uint8_t byte, std::string& out) {
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    out += '<';
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
    out += '>';
}

}  // namespace

void appendShown(std::uint8_t byte, std::string& out) {
    if (isControl(byte)) {
        appendHex(byte, out);
    } else {
        kc::appendUtf8(byte, out);
    }
}

void Screen::draw(std::uint8_t byte, std::string& out) {
    if (byte == kc::kEnter) {
        out += '\n';
        atLineStart_ = true;
        return;
    }
    atLineStart_ = false;
    if (const auto key = kc::specialKey(byte)) {
        out += '[';
        out += key->caption;
        out += ']';
    } else {
        appendShown(byte, out);
    }
}

void Screen::endLine(std::string& out) {
    if (!atLineStart_) {
        out += '\n';
        atLineStart_ = true;
    }
}

}  // namespace kcsim
