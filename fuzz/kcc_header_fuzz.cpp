// The KCC header reader and the Latin-1 case mapping.
//
// Input: the first bytes of a KCC file, also read as a Latin-1 text.
// Model: the load address is bytes 17-18, the end address bytes 19-20, least
// significant byte first; the image length is end minus load, and 0 where
// that would be negative. Fewer than 128 bytes are no header.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "check.h"
#include "kcc_header.h"
#include "latin1_case.h"
#include "rule_models.h"

using namespace fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto header = kc::readKccHeader(std::span(data, size));
    expectEqual(header.has_value(), size >= 128, "a header exactly from 128 bytes on");
    if (header) {
        const int load = data[17] | data[18] << 8;
        const int end = data[19] | data[20] << 8;
        expectEqual(header->loadAddress, load, "load address");
        expectEqual(header->endAddress, end, "end address");
        expectEqual(header->imageLength(), end > load ? end - load : 0, "image length");
    }

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string lower = kc::lowerLatin1(text);
    const std::string upper = kc::upperLatin1(text);
    expectEqual(lower.size(), size, "lower-casing keeps the length");
    expectEqual(upper.size(), size, "upper-casing keeps the length");
    for (std::size_t i = 0; i < size; ++i) {
        expectEqual(kc::lowerLatin1(data[i]), lowerByte(data[i]), "lower-cased byte");
        expectEqual(kc::upperLatin1(data[i]), upperByte(data[i]), "upper-cased byte");
        expectEqual(static_cast<std::uint8_t>(lower[i]), lowerByte(data[i]), "lower-cased text");
        expectEqual(static_cast<std::uint8_t>(upper[i]), upperByte(data[i]), "upper-cased text");
    }
    return 0;
}
