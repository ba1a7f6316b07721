// Reading and writing hexadecimal numbers: the address prompt's answer and
// the upload header's 16-bit fields.
//
// Input: an answer as typed into the prompt; its first four bytes are also
// a 32-bit value to write.
// Model: the prompt's reading rule (rule_models.h); a number is written with
// upper-case digits and no leading zeros, a negative one as its 32-bit two's
// complement; a header field holds the first four digits of the number's
// hex text (all of it when shorter), low byte first.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "check.h"
#include "hex_number.h"
#include "rule_models.h"

using namespace fuzz;

namespace {

void checkWriting(std::int32_t value) {
    char expected[16];
    std::snprintf(expected, sizeof expected, "%X", static_cast<unsigned>(value));
    const std::string text = morvale::formatHex(value);
    expectEqual(text, std::string_view(expected), "hex text");
    expectEqual(morvale::readHex(text), value, "reading back the hex text");

    const auto bits = static_cast<std::uint32_t>(value);
    const int digits = static_cast<int>(std::strlen(expected));
    const std::uint32_t field = digits > 4 ? bits >> 4 * (digits - 4) : bits;
    const auto bytes = morvale::hexField16(value);
    expectEqual(bytes[0], field & 0xFF, "header field, low byte");
    expectEqual(bytes[1], field >> 8, "header field, high byte");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    const std::int32_t address = morvale::readHex(answer);
    expectEqual(address, readHexAnswer(answer), "address read from the answer");
    checkWriting(address);

    if (size >= 4) {
        std::int32_t value;
        std::memcpy(&value, data, sizeof value);
        checkWriting(value);
    }
    return 0;
}
